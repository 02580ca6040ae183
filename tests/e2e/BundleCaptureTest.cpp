#include "support/VantrelProcess.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace vantrel::testing;

namespace {

// The document's own clock readings vary from run to run.
QStringList maskedLines(const QString& text) {
    static const QRegularExpression time(R"(^Captured: \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$)");
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (time.match(line).hasMatch())
            line = "Captured: <time>";
    }
    return lines;
}

// The lines between a heading and the next empty line.
QStringList section(const QStringList& lines, const QString& heading) {
    const qsizetype start = lines.indexOf(heading);
    if (start < 0)
        return {};
    const qsizetype end = lines.indexOf(QString(), start);
    return lines.mid(start + 1, end - start - 1);
}

} // namespace

// Each format's items are checked in the writer's own tests; here one that uses every kind.
TEST(BundleCapture, ABundleEndToEnd) {
    VantrelProcess vantrel;
    ASSERT_EQ(vantrel.run({"settings", "pasteboard-format", "claudeCodeV1"}).exitCode, 0);
    // Over the toolbar, between its buttons: a snapshot of the toolbar and its children.
    const auto result = vantrel.run(
        {"capture", "--scene", VantrelProcess::scene("demo.json"), "--at", "600,786", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject report = result.json();
    const QJsonObject bundle = report["bundle"].toObject();
    const QString folder = bundle["directory"].toString();
    const QString doc = bundle["experimentalCaptureURL"].toString();
    const QString shot = bundle["screenshotURL"].toString();
    const QString ax = bundle["accessibilityURL"].toString();
    const QString stable = bundle["stableCaptureURL"].toString();

    // The folder: under the captures root, with every file, and the latest link on it.
    const QString root = vantrel.cacheDir() + "/Vantrel";
    EXPECT_EQ(QFileInfo(folder).dir().path(), root + "/captures");
    EXPECT_EQ(doc, folder + "/capture1.md");
    EXPECT_EQ(stable, folder + "/capture.md");
    EXPECT_EQ(shot, folder + "/screenshot.png");
    EXPECT_EQ(ax, folder + "/accessibility.json");
    EXPECT_EQ(QFileInfo(root + "/latest").symLinkTarget(), folder);
    EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
              (QStringList{"accessibility", "captures", "latest", "shots"}));
    // Agents take the media type from the name: screenshot.png holds PNG bytes, while the shot
    // stays a JPEG named .jpg.
    const QByteArray png = VantrelProcess::readBytes(shot);
    EXPECT_TRUE(png.startsWith("\x89PNG\r\n\x1A\n"));
    const QImage picture = QImage::fromData(png, "PNG");
    EXPECT_EQ(picture.size(), QSize(1040, 700));
    const QStringList shots = QDir(root + "/shots").entryList({"win_*.jpg"}, QDir::Files);
    ASSERT_EQ(shots.size(), 1);
    EXPECT_TRUE(VantrelProcess::readBytes(root + "/shots/" + shots[0]).startsWith("\xFF\xD8\xFF"));

    const QString status = report["status"].toString();
    static const QRegularExpression statusForm("^Copied for Claude Code: .+ · \\d+ AX nodes$");
    EXPECT_TRUE(statusForm.match(status).hasMatch()) << status.toStdString();
    EXPECT_EQ(report["toast"].toString(), "Copied — press ⌘V in Claude Code");
    const QString summary = status.mid(status.indexOf(": ") + 2).section(" · ", 0, -2);

    // capture1.md, line by line.
    const QStringList lines = maskedLines(VantrelProcess::readText(doc));
    QStringList expected{"# Vantrel capture (format 1)",
                         "",
                         "Paste to: Claude Code · mode: Full capture",
                         "",
                         "Target: " + summary,
                         "Captured: <time>",
                         "Screenshot: " + shot,
                         "Accessibility JSON: " + ax,
                         "Bundle folder: " + folder,
                         "",
                         "## Accessibility summary"};
    const QStringList preview = section(lines, "## Accessibility summary");
    ASSERT_FALSE(preview.isEmpty());
    EXPECT_EQ(preview.first(), "Target: " + summary);
    expected << preview << ""
             << "## Full AX JSON"
             << "```json" << VantrelProcess::readText(ax).split(u'\n') << "```"
             << ""
             << "Stable fallback: " + stable;
    EXPECT_EQ(lines, expected);

    // capture.md: the header and the asset list.
    const QStringList stableLines = maskedLines(VantrelProcess::readText(stable));
    EXPECT_EQ(stableLines.mid(0, 8),
              (QStringList{"# Vantrel capture", "", "Format: stable (`capture.md`)",
                           "Captured: <time>", "Target: " + summary, "", "[VANTREL]",
                           "Simple bundle — read **this file** first. Full bundle folder: `" +
                               folder + "`"}));
    EXPECT_EQ(
        stableLines.mid(stableLines.size() - 8),
        (QStringList{"", "## Full bundle assets", "- screenshot.png — `" + shot + "`",
                     "- accessibility.json — `" + ax + "`", "- capture.md — stable simple bundle",
                     "- capture1.md — experimental simple bundle", "",
                     "Remote agents (Grok, cloud): use **Tree mode** for inline JSON."}));

    // The pasteboard: the document with the text, the screenshot's file, then its pixels.
    const QJsonArray items = report["pasteboard"].toArray();
    ASSERT_EQ(items.size(), 3);
    const QString pasted = items[0]["public.utf8-plain-text"].toString();
    EXPECT_EQ(items[0].toObject().keys(),
              (QStringList{"public.file-url", "public.utf8-plain-text"}));
    EXPECT_EQ(items[0]["public.file-url"].toString(), QUrl::fromLocalFile(doc).toString());
    EXPECT_EQ(items[1].toObject(),
              (QJsonObject{{"public.file-url", QUrl::fromLocalFile(shot).toString()}}));
    EXPECT_EQ(items[2].toObject(),
              (QJsonObject{{"public.tiff", QJsonObject{{"width", picture.width()},
                                                       {"height", picture.height()}}}}));
    EXPECT_TRUE(pasted.startsWith("# Vantrel · bundle (")) << pasted.toStdString();
    EXPECT_EQ(pasted.split(u'\n').filter(QRegularExpression("^@")),
              (QStringList{"@" + doc, "@" + shot}));
}
