#include "output/PasteboardWriter.h"
#include "OutputTestSupport.h"
#include "output/CaptureBundleFormatSettings.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/Pasteboard.h"

#include <QTemporaryDir>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

// Each item as its kinds joined with "+": "file:<name>", "image", "text".
QStringList layout(const Pasteboard& pasteboard) {
    QStringList items;
    for (const Pasteboard::Item& item : pasteboard.items()) {
        QStringList kinds;
        for (const auto& [type, representation] : item.representations) {
            if (type == Pasteboard::fileURLType)
                kinds << "file:" +
                             QFileInfo(std::get<QUrl>(representation).toLocalFile()).fileName();
            else if (type == Pasteboard::imageType)
                kinds << "image";
            else if (type == Pasteboard::plainTextType)
                kinds << "text";
            else if (type == Pasteboard::jsonType)
                kinds << "json";
        }
        items << kinds.join(u'+');
    }
    return items;
}

// Only the UTF-8 data counts: a text left as a string representation reads as empty.
QString text(const Pasteboard& pasteboard) {
    for (const Pasteboard::Item& item : pasteboard.items()) {
        if (const auto* representation = item.find(Pasteboard::plainTextType)) {
            if (const auto* data = std::get_if<QByteArray>(representation))
                return QString::fromUtf8(*data);
        }
    }
    return {};
}

QStringList atLines(const QString& text) {
    QStringList lines = text.split(u'\n');
    lines.removeIf([](const QString& line) { return !line.startsWith(u'@'); });
    return lines;
}

class PasteboardWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(temporary.isValid());
        folder = temporary.path() + QStringLiteral("/2026-01-31_09-15-02-000");
        accessibility = snapshotAt(folder + QStringLiteral("/accessibility.json"), R"({"a": 1})");
    }

    CaptureBundle bundle(bool withScreenshot) const {
        CaptureBundle result{
            QUrl::fromLocalFile(folder),
            QUrl::fromLocalFile(folder + QStringLiteral("/capture.md")),
            QUrl::fromLocalFile(folder + QStringLiteral("/capture1.md")),
            std::nullopt,
            QUrl::fromLocalFile(folder + QStringLiteral("/accessibility.json")),
        };
        if (withScreenshot)
            result.screenshotURL = QUrl::fromLocalFile(folder + QStringLiteral("/screenshot.png"));
        return result;
    }

    PasteboardWriter writer() { return PasteboardWriter(pasteboard, defaults, vocabulary); }

    QTemporaryDir temporary;
    QString folder;
    CapturedAccessibility accessibility;
    Pasteboard pasteboard;
    MemoryUserDefaults defaults;
    PlatformVocabulary vocabulary = PlatformVocabulary::macOS();
    QImage image = QImage(4, 3, QImage::Format_ARGB32);
};

TEST_F(PasteboardWriterTest, EachFormatWritesItsItemsInOrder) {
    using F = BundlePasteboardFormat;
    struct Case {
        F format;
        bool withImage;
        bool withScreenshot;
        QStringList items;
        int atLineCount;
    };
    const Case cases[] = {
        {F::claudeCodeV1, true, true, {"file:capture1.md+text", "file:screenshot.png", "image"}, 2},
        {F::claudeCodeV1, true, false, {"file:capture1.md+text", "image"}, 1},
        {F::claudeCodeV1, false, false, {"file:capture1.md+text"}, 1},
        {F::claudeCodeV2, true, true, {"image+text"}, 0},
        {F::claudeCodeV2, false, true, {"text"}, 0},
        {F::experimentA, true, true, {"file:capture1.md+text", "file:screenshot.png"}, 2},
        {F::experimentA, true, false, {"file:capture1.md+text"}, 1},
        {F::experimentB, true, true, {"file:capture1.md+text", "image"}, 1},
        {F::experimentB, false, true, {"file:capture1.md+text"}, 1},
        {F::cursorV1, true, true, {"file:capture1.md+text", "file:screenshot.png"}, 2},
        {F::cursorV2, true, true, {"file:capture1.md+text"}, 1},
        {F::legacyFileOnly, true, true, {"file:capture1.md+text"}, 1},
    };
    for (const Case& c : cases) {
        pasteboard.writeObjects({QUrl("file:///stale")});
        writer().writeBundle(bundle(c.withScreenshot), accessibility,
                             c.withImage ? std::optional<QImage>(image) : std::nullopt, c.format);
        const auto label = (rawValue(c.format) + (c.withImage ? " image" : "") +
                            (c.withScreenshot ? " screenshot" : ""))
                               .toStdString();
        EXPECT_EQ(layout(pasteboard), c.items) << label;
        EXPECT_EQ(atLines(text(pasteboard)).size(), c.atLineCount) << label;
    }
}

TEST_F(PasteboardWriterTest, StandardTextNamesTheChosenDocument) {
    struct Case {
        QString bundleFormat;
        BundlePasteboardFormat format;
        QStringList lines;
    };
    const Case cases[] = {
        {"stable",
         BundlePasteboardFormat::legacyFileOnly,
         {"# Vantrel · bundle (capture.md)", "Paste format: Legacy (1 file only)",
          "Target: Button \"Send\" · Inbox", "@" + folder + "/capture.md"}},
        {"experimental",
         BundlePasteboardFormat::cursorV1,
         {"# Vantrel · bundle (capture1.md)", "Paste format: Cursor v1 (2 files, no image)",
          "Target: Button \"Send\" · Inbox", "@" + folder + "/capture1.md",
          "@" + folder + "/screenshot.png"}},
    };
    for (const Case& c : cases) {
        defaults.setString(CaptureBundleFormatSettings::defaultsKey, c.bundleFormat);
        writer().writeBundle(bundle(true), accessibility, image, c.format);
        EXPECT_EQ(text(pasteboard).split(u'\n'), c.lines);
        const QUrl document =
            std::get<QUrl>(pasteboard.items().first().representations.first().second);
        EXPECT_EQ(document.toLocalFile(), c.lines.value(3).mid(1));
    }
}

TEST_F(PasteboardWriterTest, RichTextForCursorCarriesTheAtLine) {
    writer().writeBundle(bundle(true), accessibility, image, BundlePasteboardFormat::cursorV2);
    const QStringList expected{
        "# Vantrel · bundle (Cursor: file + text)",
        "@" + folder + "/capture1.md",
        "Target: Button \"Send\" · Inbox",
        "",
        "## Accessibility summary",
        "Target: Button \"Send\" · Inbox",
        "Path: Window \"Inbox\" → Button \"Send\"",
        "",
        "## Files on disk",
        folder + "/capture1.md",
        folder + "/screenshot.png",
        folder + "/accessibility.json",
        "Bundle folder: " + folder,
    };
    EXPECT_EQ(text(pasteboard).split(u'\n'), expected);
}

TEST_F(PasteboardWriterTest, RichTextForClaudeKeepsItsLinesWithOrWithoutAnImage) {
    writer().writeBundle(bundle(false), accessibility, image, BundlePasteboardFormat::claudeCodeV2);
    const QStringList withImage = text(pasteboard).split(u'\n');
    EXPECT_EQ(withImage.mid(0, 3),
              (QStringList{"# Vantrel · bundle (paste: image + text)",
                           "Screenshot attached on this pasteboard (frontmost window).",
                           "Target: Button \"Send\" · Inbox"}));
    EXPECT_EQ(withImage.mid(withImage.size() - 4),
              (QStringList{"## Files on disk", folder + "/capture1.md",
                           folder + "/accessibility.json", "Bundle folder: " + folder}));

    for (const std::optional<QImage>& missing :
         {std::optional<QImage>(), std::optional<QImage>(QImage())}) {
        writer().writeBundle(bundle(false), accessibility, missing,
                             BundlePasteboardFormat::claudeCodeV2);
        EXPECT_EQ(layout(pasteboard), QStringList{"text"});
        EXPECT_EQ(text(pasteboard).split(u'\n'), withImage);
    }
}

TEST_F(PasteboardWriterTest, ScreenshotPayload) {
    struct Case {
        std::optional<QUrl> fileURL;
        QStringList lines;
    };
    const Case cases[] = {
        {QUrl::fromLocalFile("/shots/one.jpg"),
         {"# Vantrel · screenshot", "Screenshot attached on this pasteboard (frontmost window).",
          "File: /shots/one.jpg"}},
        {std::nullopt,
         {"# Vantrel · screenshot", "Screenshot attached on this pasteboard (frontmost window)."}},
    };
    for (const Case& c : cases) {
        pasteboard.writeObjects({QUrl("file:///stale")});
        writer().writeScreenshot(image, c.fileURL);
        EXPECT_EQ(layout(pasteboard), QStringList{"image+text"});
        EXPECT_EQ(text(pasteboard).split(u'\n'), c.lines);
    }
}

TEST_F(PasteboardWriterTest, TreePayloadCarriesTextAndJson) {
    writer().writeTree(accessibility);
    EXPECT_EQ(layout(pasteboard), QStringList{"text+json"});
    const QStringList expected{
        "# Vantrel · accessibility tree",
        "",
        "[ACCESSIBILITY]",
        "macOS accessibility snapshot under the cursor.",
        "Target: Button \"Send\" · Inbox",
        "",
        "Target: Button \"Send\" · Inbox",
        "Path: Window \"Inbox\" → Button \"Send\"",
        "",
        "Full AX JSON:",
        "```json",
        R"({"a": 1})",
        "```",
        "",
        "For screenshot + files on disk, switch to Bundle mode (⌃⌥C, mode in menu).",
    };
    EXPECT_EQ(text(pasteboard).split(u'\n'), expected);
    const auto* json = pasteboard.items().first().find(Pasteboard::jsonType);
    ASSERT_NE(json, nullptr);
    EXPECT_EQ(std::get<QByteArray>(*json), QByteArray(R"({"a": 1})"));
}

TEST_F(PasteboardWriterTest, TreeTextSpeaksThePlatformsWords) {
    vocabulary.copyHotKey = "Ctrl+Alt+C";
    vocabulary.accessibilitySnapshotName = "AT-SPI accessibility snapshot";
    const QStringList lines = writer().treePasteboardText(accessibility).split(u'\n');
    EXPECT_EQ(lines.value(3), "AT-SPI accessibility snapshot under the cursor.");
    EXPECT_EQ(lines.last(),
              "For screenshot + files on disk, switch to Bundle mode (Ctrl+Alt+C, mode in menu).");
}

TEST_F(PasteboardWriterTest, UnreadableSnapshotLeavesTextOnly) {
    QFile::remove(accessibility.fileURL.toLocalFile());
    pasteboard.writeObjects({QUrl("file:///stale")});
    writer().writeTree(accessibility);
    EXPECT_EQ(layout(pasteboard), QStringList{"text"});
    const QStringList lines = text(pasteboard).split(u'\n');
    EXPECT_FALSE(lines.contains("Full AX JSON:"));
    EXPECT_EQ(lines.mid(6), (QStringList{
                                "Target: Button \"Send\" · Inbox",
                                "Path: Window \"Inbox\" → Button \"Send\"",
                                "",
                                "For screenshot + files on disk, switch to Bundle mode (⌃⌥C, mode "
                                "in menu).",
                            }));
}

TEST_F(PasteboardWriterTest, TreeJsonIsCutAfter80000Clusters) {
    const QString flag = QStringLiteral("🇩🇪"); // four code units, one cluster
    struct Case {
        int clusters;
        QString expected;
    };
    const Case cases[] = {
        {80000, clusters(flag, 80000)},
        {80001, clusters(flag, 80000) + QStringLiteral("\n… (truncated)")},
    };
    for (const Case& c : cases) {
        const QByteArray bytes = clusters(flag, c.clusters).toUtf8();
        accessibility = snapshotAt(accessibility.fileURL.toLocalFile(), bytes);
        writer().writeTree(accessibility);
        EXPECT_EQ(fencedJson(text(pasteboard).split(u'\n')), c.expected) << c.clusters;
        EXPECT_EQ(std::get<QByteArray>(*pasteboard.items().first().find(Pasteboard::jsonType)),
                  bytes);
    }
}

} // namespace
