#include "output/PasteboardWriter.h"
#include "OutputTestSupport.h"
#include "output/CaptureBundleFormatSettings.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/Pasteboard.h"

#include <QTemporaryDir>

using namespace vantrel;
using namespace vantrel::testing;
using F = BundlePasteboardFormat;

namespace {

// Each item as its kinds joined with "+": "file:<name>", "image", "text", "json".
QStringList layout(const Pasteboard& pasteboard) {
    static const QMap<QString, QString> names{{Pasteboard::imageType, "image"},
                                              {Pasteboard::plainTextType, "text"},
                                              {Pasteboard::jsonType, "json"}};
    QStringList items;
    for (const Pasteboard::Item& item : pasteboard.items()) {
        QStringList kinds;
        for (const auto& [type, representation] : item.representations)
            kinds << (type == Pasteboard::fileURLType
                          ? "file:" + std::get<QUrl>(representation).fileName()
                          : names.value(type));
        items << kinds.join(u'+');
    }
    return items;
}

// Only the UTF-8 data counts: a text left as a string representation reads as empty.
QStringList textLines(const Pasteboard& pasteboard) {
    for (const Pasteboard::Item& item : pasteboard.items()) {
        const auto* representation = item.find(Pasteboard::plainTextType);
        if (const auto* data = representation ? std::get_if<QByteArray>(representation) : nullptr)
            return QString::fromUtf8(*data).split(u'\n');
    }
    return {};
}

class PasteboardWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(temporary.isValid());
        restart();
    }

    void restart() {
        accessibility = snapshotAt(folder + "/accessibility.json", R"({"a": 1})");
        // Whatever was there before must go.
        pasteboard.writeObjects({QUrl("file:///stale")});
    }

    PasteboardWriter writer() { return PasteboardWriter(pasteboard, defaults, vocabulary); }

    QStringList writeBundle(F format, bool withScreenshot, const std::optional<QImage>& picture,
                            ScreenshotSubject subject = ScreenshotSubject::frontmostWindow) {
        writer().writeBundle(bundleIn<CaptureBundle>(folder, withScreenshot), accessibility,
                             picture, subject, format);
        return textLines(pasteboard);
    }

    QTemporaryDir temporary;
    QString folder = temporary.path() + QStringLiteral("/2026-01-31_09-15-02-000");
    CapturedAccessibility accessibility;
    Pasteboard pasteboard;
    MemoryUserDefaults defaults;
    PlatformVocabulary vocabulary = PlatformVocabulary::macOS();
    QImage image = QImage(4, 3, QImage::Format_ARGB32);
};

// The "@" lines name files by their names only.
TEST_F(PasteboardWriterTest, ItemsFollowTheFormatAndWhatTheCaptureHas) {
    const std::optional<QImage> none, null = QImage();
    const QString doc = "file:capture1.md+text", shot = "file:screenshot.png";
    const QStringList both{"capture1.md", "screenshot.png"};
    const std::tuple<F, bool, std::optional<QImage>, QStringList, QStringList> cases[] = {
        {F::claudeCodeV1, true, image, {doc, shot, "image"}, both},
        {F::claudeCodeV1, false, image, {doc, "image"}, {"capture1.md"}},
        {F::claudeCodeV1, false, none, {doc}, {"capture1.md"}},
        {F::claudeCodeV2, true, image, {"image+text"}, {}},
        {F::claudeCodeV2, true, none, {"text"}, {}},
        {F::claudeCodeV2, true, null, {"text"}, {}},
        {F::experimentA, true, image, {doc, shot}, both},
        {F::experimentA, false, image, {doc}, {"capture1.md"}},
        {F::experimentB, true, image, {doc, "image"}, {"capture1.md"}},
        {F::experimentB, true, null, {doc}, {"capture1.md"}},
        {F::cursorV1, true, image, {doc, shot}, both},
        {F::cursorV2, true, image, {doc}, {"capture1.md"}},
        {F::legacyFileOnly, true, image, {doc}, {"capture1.md"}},
    };
    for (const auto& [format, withScreenshot, picture, items, expectedAtLines] : cases) {
        restart();
        QStringList atLines;
        for (const QString& line : writeBundle(format, withScreenshot, picture)) {
            if (line.startsWith(u'@'))
                atLines << QFileInfo(line.mid(1)).fileName();
        }
        const auto label = rawValue(format).toStdString() + (withScreenshot ? " shot" : "");
        EXPECT_EQ(layout(pasteboard), items) << label;
        EXPECT_EQ(atLines, expectedAtLines) << label;
    }
}

TEST_F(PasteboardWriterTest, StandardTextNamesTheChosenDocument) {
    defaults.setString(CaptureBundleFormatSettings::defaultsKey, "stable");
    EXPECT_EQ(writeBundle(F::cursorV1, true, image),
              (QStringList{"# Vantrel · bundle (capture.md)",
                           "Paste format: Cursor v1 (2 files, no image)", target,
                           "@" + folder + "/capture.md", "@" + folder + "/screenshot.png"}));
    EXPECT_EQ(layout(pasteboard).first(), "file:capture.md+text");
}

// An agent told that a picture is attached goes looking for it: the line is there only when one
// is, and names what it shows.
TEST_F(PasteboardWriterTest, RichTextListsSummaryAndFiles) {
    const auto rich = [&](const QString& heading, const QString& second, bool withScreenshot) {
        QStringList lines =
            QString("%1\n%2\n%3\n\n## Accessibility summary\n%3\n%4\n\n## Files on disk\n"
                    "%5/capture1.md\n%5/screenshot.png\n%5/accessibility.json\nBundle folder: %5")
                .arg(heading, second, target, targetPath, folder)
                .split(u'\n');
        if (!withScreenshot)
            lines.removeAt(10);
        if (second.isEmpty())
            lines.removeAt(1);
        return lines;
    };
    const QString claude = "# Vantrel · bundle (paste: image + text)";
    EXPECT_EQ(
        writeBundle(F::cursorV2, true, image),
        rich("# Vantrel · bundle (Cursor: file + text)", "@" + folder + "/capture1.md", true));
    const QString shows = "Screenshot attached on this pasteboard (%1).";
    const std::tuple<std::optional<QImage>, ScreenshotSubject, QString> cases[] = {
        {image, ScreenshotSubject::frontmostWindow, shows.arg("frontmost window")},
        {image, ScreenshotSubject::area, shows.arg("selected area")},
        {image, ScreenshotSubject::display, shows.arg("whole display")},
        {std::nullopt, ScreenshotSubject::frontmostWindow, {}},
        {QImage(), ScreenshotSubject::area, {}},
    };
    for (const auto& [picture, subject, second] : cases) {
        SCOPED_TRACE(second.toStdString());
        EXPECT_EQ(writeBundle(F::claudeCodeV2, false, picture, subject),
                  rich(claude, second, false));
    }
}

// With a file, the whole payload is checked end to end.
TEST_F(PasteboardWriterTest, AScreenshotWithoutAFileNamesNone) {
    writer().writeScreenshot(image, std::nullopt, ScreenshotSubject::frontmostWindow);
    EXPECT_EQ(layout(pasteboard), QStringList{"image+text"});
    EXPECT_EQ(textLines(pasteboard),
              (QStringList{"# Vantrel · screenshot",
                           "Screenshot attached on this pasteboard (frontmost window)."}));
}

// An unreadable snapshot leaves the text alone on the pasteboard, without its JSON section.
TEST_F(PasteboardWriterTest, TreePayloadSpeaksThePlatformsWords) {
    vocabulary.copyHotKey = "Ctrl+Alt+C";
    vocabulary.accessibilitySnapshotName = "AT-SPI accessibility snapshot";
    const QStringList head =
        QString("# Vantrel · accessibility tree\n\n[ACCESSIBILITY]\n"
                "AT-SPI accessibility snapshot under the cursor.\n%1\n\n%1\n%2")
            .arg(target, targetPath)
            .split(u'\n');
    const QStringList json{"", "Full AX JSON:", "```json", R"({"a": 1})", "```"};
    const QStringList tail{
        "", "For screenshot + files on disk, switch to Bundle mode (Ctrl+Alt+C, mode in menu)."};
    for (const bool readable : {true, false}) {
        restart();
        if (!readable)
            QFile::remove(accessibility.fileURL.toLocalFile());
        writer().writeTree(accessibility);
        EXPECT_EQ(textLines(pasteboard), head + (readable ? json : QStringList()) + tail);
        EXPECT_EQ(layout(pasteboard), QStringList{readable ? "text+json" : "text"});
    }
}

TEST_F(PasteboardWriterTest, TreeTextCutsTheJsonAfter80000ClustersButNotTheData) {
    const QString flags = QStringLiteral("🇩🇪").repeated(80000); // four code units per cluster
    for (const auto& [text, expected] :
         {std::pair{flags, flags}, std::pair{flags + "a", flags + "\n… (truncated)"}}) {
        accessibility = snapshotAt(accessibility.fileURL.toLocalFile(), text.toUtf8());
        writer().writeTree(accessibility);
        const QString fenced = "```json\n" + expected + "\n```\n";
        EXPECT_TRUE(textLines(pasteboard).join(u'\n').contains(fenced)) << text.size();
        EXPECT_EQ(std::get<QByteArray>(*pasteboard.items().first().find(Pasteboard::jsonType)),
                  text.toUtf8());
    }
}

} // namespace
