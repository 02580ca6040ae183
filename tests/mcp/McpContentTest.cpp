#include "mcp/CaptureLibrary.h"
#include "mcp/ImageFit.h"
#include "mcp/SnapshotOutline.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QRectF>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

QJsonObject node(const QString& role, const QString& title, QRectF frame,
                 QJsonArray children = {}) {
    QJsonObject result{{"role", role},
                       {"title", title},
                       {"frame", QJsonObject{{"x", frame.x()},
                                             {"y", frame.y()},
                                             {"width", frame.width()},
                                             {"height", frame.height()}}}};
    if (!children.isEmpty())
        result.insert("children", children);
    return result;
}

// A window with `buttons` buttons in a row; the mouse over the second.
QJsonObject snapshot(int buttons) {
    QJsonArray row;
    for (int i = 0; i < buttons; ++i)
        row.append(node("AXButton", QStringLiteral("Button %1").arg(i), QRectF(i * 10, 0, 10, 10)));
    return {{"mouse", QJsonObject{{"x", 15}, {"y", 5}}},
            {"tree", node("AXWindow", "Main", QRectF(0, 0, 1000, 100), row)}};
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(ImageFit, KeepsTheEdgeAndTheAreaWithinTheirLimits) {
    struct Case {
        QSize source;
        int maxEdge;
        QSize expected;
    } cases[] = {
        {{1568, 733}, 1568, {1568, 733}},   // 1,149,344 px: both limits met exactly
        {{1569, 700}, 1568, {1568, 699}},   // the edge, one pixel over
        {{1072, 1072}, 1568, {1072, 1072}}, // 1,149,184 px
        {{1073, 1073}, 1568, {1072, 1072}}, // 1,151,329 px: the area, just over
        {{3136, 100}, 1568, {1568, 50}},    {{100, 50}, 1568, {100, 50}}, // never enlarged
        {{4000, 3000}, 800, {800, 600}},
    };
    for (const Case& c : cases) {
        const QSize size = ImageFit::fitted(c.source, c.maxEdge);
        EXPECT_EQ(size, c.expected) << c.source.width() << "x" << c.source.height();
        EXPECT_LE(qint64(size.width()) * size.height(), ImageFit::maxPixels);
    }
}

TEST(ImageFit, ShrinksUntilTheBytesFitAndReportsTheFactor) {
    QList<QSize> tried;
    // A stand-in encoder: a byte per pixel.
    const auto encoded = ImageFit::encodeWithin(
        {1000, 1000}, 1568,
        [&tried](QSize size) {
            tried.append(size);
            return QByteArray(size.width() * size.height(), 'x');
        },
        400'000);
    ASSERT_TRUE(encoded);
    EXPECT_EQ(tried, (QList<QSize>{{1000, 1000}, {750, 750}, {562, 562}}));
    EXPECT_EQ(encoded->size, QSize(562, 562));
    EXPECT_LE(encoded->bytes.size(), 400'000);
    EXPECT_DOUBLE_EQ(ImageFit::factor(1124, encoded->size.width()), 2.0);
    EXPECT_FALSE(ImageFit::encodeWithin({10, 10}, 1568, [](QSize) { return QByteArray(); }));
    EXPECT_LT(ImageFit::maxEncodedBytes * 4 / 3, 5 * 1000 * 1000); // base64 still under 5 MB
}

TEST(SnapshotOutline, FitsTheBudgetAndSaysWhatItLeftOut) {
    const QJsonObject document = snapshot(2000);
    for (const int tokens : {100, 1000, 4000}) {
        SnapshotOutline::Options options;
        options.captureId = "C";
        options.budgetTokens = tokens;
        const auto outline = SnapshotOutline::render(document, options);
        EXPECT_LE(outline.text.size(), tokens * SnapshotOutline::charactersPerToken);
        EXPECT_EQ(outline.totalNodes, 2001);
        const QStringList lines = outline.text.split(u'\n');
        EXPECT_EQ(lines.size(), outline.shownNodes + 1);
        EXPECT_TRUE(lines.last().startsWith(
            QStringLiteral("[%1 of 2001 nodes left out").arg(2001 - outline.shownNodes)))
            << lines.last().toStdString();
        EXPECT_TRUE(lines.last().contains(
            QStringLiteral("get_tree {\"capture_id\": \"C\", \"ref\": \"n%1\"}")
                .arg(outline.shownNodes + 1)));
    }
    const auto whole = SnapshotOutline::render(snapshot(3), {"C", 4000, {}, -1});
    EXPECT_EQ(whole.text, "Window \"Main\" @0,0 1000x100 #n1\n"
                          "  Button \"Button 0\" @0,0 10x10 #n2\n"
                          "  Button \"Button 1\" @10,0 10x10 #n3 <- target\n"
                          "  Button \"Button 2\" @20,0 10x10 #n4\n");
}

TEST(SnapshotOutline, ReadsASubtreeByRefAndDepth) {
    const auto button = SnapshotOutline::render(snapshot(3), {"C", 4000, "n3", -1});
    EXPECT_EQ(button.text, "Button \"Button 1\" @10,0 10x10 #n3 <- target\n");
    const auto shallow = SnapshotOutline::render(snapshot(3), {"C", 4000, "n1", 0});
    EXPECT_TRUE(
        shallow.text.startsWith("Window \"Main\" @0,0 1000x100 #n1\n[3 of 4 nodes left out; "
                                "3 of them deeper than depth 0"));
    for (const QString ref : {"n5", "n0", "x1", "n", "n-1"})
        EXPECT_FALSE(SnapshotOutline::render(snapshot(3), {"C", 4000, ref, -1}).found)
            << ref.toStdString();
}

TEST(CaptureLibrary, ServesOnlyFilesDirectlyInACaptureFolder) {
    QTemporaryDir home;
    const QString root = home.path() + "/captures";
    const QString id = "2026-12-08_06-13-45-123";
    ASSERT_TRUE(QDir().mkpath(root + "/" + id));
    ASSERT_TRUE(QDir().mkpath(root + "/2026-12-08_06-13-46-000"));
    ASSERT_TRUE(QDir().mkpath(home.path() + "/outside"));
    write(root + "/" + id + "/capture.md", "# hello");
    write(root + "/" + id + "/screenshot.png", "\x89PNG");
    write(home.path() + "/outside/secret.md", "secret");
    write(root + "/secret.md", "not a capture file");
    QFile::link(home.path() + "/outside/secret.md", root + "/" + id + "/link.md");
    QFile::link(home.path() + "/outside", root + "/2026-12-08_06-13-47-000");
    QFile::link(root + "/" + id, root + "/2026-12-08_06-13-48-000");

    const CaptureLibrary library(root);
    const QString base = "vantrel://captures/";
    const auto text = library.read(base + id + "/capture.md");
    ASSERT_TRUE(text);
    EXPECT_EQ((*text)[0]["text"].toString(), "# hello");
    EXPECT_EQ((*text)[0]["mimeType"].toString(), "text/markdown");
    const auto png = library.read(base + id + "/screenshot.png");
    ASSERT_TRUE(png);
    EXPECT_EQ(QByteArray::fromBase64((*png)[0]["blob"].toString().toLatin1()), "\x89PNG");

    for (const QString& uri :
         {base + id + "/../secret.md", base + id + "/link.md", base + "../outside/secret.md",
          base + "2026-12-08_06-13-47-000/secret.md", base + "2026-12-08_06-13-48-000/capture.md",
          base + id + "/%2e%2e/secret.md", base + id + "/.hidden", base + id + "/", base + id,
          base + id + "/capture.md/x", "vantrel://captures/" + home.path() + "/outside/secret.md",
          "file://" + root + "/" + id + "/capture.md", base + "secret.md"})
        EXPECT_FALSE(library.read(uri)) << uri.toStdString();

    // Newest first; links to folders are not captures.
    QStringList ids;
    for (const auto& capture : library.captures())
        ids.append(capture.id);
    EXPECT_EQ(ids, (QStringList{"2026-12-08_06-13-46-000", id}));
    EXPECT_EQ(library.resources().size(), 2); // link.md is not listed
}
