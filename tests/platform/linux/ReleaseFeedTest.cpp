#include "platform/linux/ReleaseFeed.h"

#include <gtest/gtest.h>

using namespace vantrel;
using Release = ReleaseFeed::Release;

namespace {

QByteArray feedOf(const QByteArray& items) {
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">\n"
           "<channel><title>Vantrel</title>\n" +
           items + "\n</channel></rss>";
}

const char* name(std::partial_ordering order) {
    return order == 0 ? "equal" : order < 0 ? "less" : order > 0 ? "greater" : "unordered";
}

} // namespace

TEST(ReleaseFeed, ComparesDottedVersionsNumerically) {
    using O = std::partial_ordering;
    const std::tuple<const char*, const char*, O> rows[] = {
        {"1.10", "1.9", O::greater},
        {"1.02", "1.2", O::equivalent},
        {"1.2", "1.02", O::equivalent},
        {"v2.0", "2", O::equivalent},
        {"1.0+build.7", "1.0", O::equivalent},
        {"1.2.1", "1.2", O::greater},
        {"1.2.0-beta", "1.2.0", O::less},
        {"1.2rc1", "1.2", O::less},
        {"1.2-beta2", "1.2-beta10", O::less},
        {"1.2-alpha", "1.2-beta", O::less},
        {"1.2-beta", "1.2-beta.1", O::less},
        {"1.2-rc1", "1.1", O::greater},
        {"1.2-99999", "1.2-rc", O::less}, // a number before a word, however long
        {"123456789012345678901234567890", "123456789012345678901234567889", O::greater},
        {"", "1.0", O::unordered},
        {"1.0", "banana", O::unordered},
        {"1..2", "1.2", O::unordered},
    };
    for (const auto& [a, b, expected] : rows) {
        const O order = ReleaseFeed::compareVersions(a, b);
        EXPECT_TRUE(order == expected) << a << " vs " << b << ": " << name(order);
    }
}

TEST(ReleaseFeed, FindsTheNewestUsableReleaseOrSaysWhyNot) {
    const QByteArray deep =
        QByteArray("<d>").repeated(50'000) + QByteArray("</d>").repeated(50'000);
    // What the case shows, the feed, its newest release, whether it is malformed.
    const std::tuple<const char*, QByteArray, std::optional<Release>, bool> rows[] = {
        {"human version wins over the build number",
         feedOf(R"(<item><title>Vantrel</title><sparkle:releaseNotesLink>https://e.org/n
                </sparkle:releaseNotesLink><enclosure url="https://e.org/v.tar.gz"
                sparkle:version="345" sparkle:shortVersionString="1.4.0"/></item>)"),
         Release{"1.4.0", QUrl("https://e.org/n"), QUrl("https://e.org/v.tar.gz")}, false},
        {"newest is not the first item",
         feedOf(R"(<item><enclosure url="https://e.org/9" sparkle:version="1.9"/></item>
                <item><enclosure url="https://e.org/10" sparkle:version="1.10"/></item>
                <item><enclosure url="https://e.org/2" sparkle:version="1.2"/></item>)"),
         Release{"1.10", {}, QUrl("https://e.org/10")}, false},
        {"version in the title, the page as download",
         feedOf("<item><title>Vantrel 2.0.1 (build 88)</title><link>https://e.org/p</link></item>"),
         Release{"2.0.1", {}, QUrl("https://e.org/p")}, false},
        {"version elements, the page as notes",
         feedOf(R"(<item><sparkle:version>3.1</sparkle:version><link>https://e.org/p</link>
                <enclosure url="https://e.org/d"/></item>)"),
         Release{"3.1", QUrl("https://e.org/p"), QUrl("https://e.org/d")}, false},
        {"other systems, opt-in channels and unversioned items are skipped",
         feedOf(R"(<item><enclosure url="https://e.org/m" sparkle:version="9" sparkle:os="macos"/>
                </item><item><sparkle:channel>beta</sparkle:channel>
                <enclosure url="https://e.org/b" sparkle:version="8"/></item>
                <item><title>Hello</title><enclosure url="https://e.org/x"/></item>
                <item><enclosure url="https://e.org/l" sparkle:version="7" sparkle:os="linux"/>
                </item>)"),
         Release{"7", {}, QUrl("https://e.org/l")}, false},
        {"links that are not web addresses are never offered",
         feedOf(R"(<item><enclosure url="file:///bin/sh" sparkle:version="5"/>
                <link>javascript:alert(1)</link></item>)"),
         std::nullopt, false},
        {"deep nesting inside an item",
         feedOf("<item><title>1.0</title><link>https://e.org/p</link>" + deep + "</item>"),
         Release{"1.0", {}, QUrl("https://e.org/p")}, false},
        {"not an RSS feed", "<html><body>Moved</body></html>", std::nullopt, false},
        {"unclosed element", feedOf("<item><title>1.0</title>"), std::nullopt, true},
        {"undeclared prefix", "<rss><item><sparkle:version>2</sparkle:version></item></rss>",
         std::nullopt, true},
        {"empty body", "", std::nullopt, true},
    };
    for (const auto& [what, xml, newest, malformed] : rows) {
        const ReleaseFeed feed = ReleaseFeed::parse(xml);
        EXPECT_EQ(!feed.error().isEmpty(), malformed) << what;
        EXPECT_EQ(feed.newest(), newest) << what;
    }
}
