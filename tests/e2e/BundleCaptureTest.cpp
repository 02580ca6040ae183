#include "support/VantrelProcess.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace vantrel::testing;

namespace {

QString readText(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

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

struct Layout {
    const char* format;
    const char* agent;
    // Each item's types in order; "url:doc" and "url:shot" name which file the URL points at.
    QList<QStringList> items;
    QStringList atLines; // "@doc", "@shot"
};

} // namespace

TEST(BundleCapture, EachPasteboardFormatEndToEnd) {
    const QString text = "public.utf8-plain-text";
    const QString image = "public.tiff";
    const Layout layouts[] = {
        {"claudeCodeV1",
         "Claude Code",
         {{"url:doc", text}, {"url:shot"}, {image}},
         {"@doc", "@shot"}},
        {"claudeCodeV2", "Claude Code", {{image, text}}, {}},
        {"experimentA", "Cursor", {{"url:doc", text}, {"url:shot"}}, {"@doc", "@shot"}},
        {"experimentB", "Cursor", {{"url:doc", text}, {image}}, {"@doc"}},
        {"cursorV1", "Cursor", {{"url:doc", text}, {"url:shot"}}, {"@doc", "@shot"}},
        {"cursorV2", "Cursor", {{"url:doc", text}}, {"@doc"}},
        {"legacyFileOnly", "Cursor", {{"url:doc", text}}, {"@doc"}},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.format);
        VantrelProcess vantrel;
        ASSERT_EQ(vantrel.run({"settings", "pasteboard-format", layout.format}).exitCode, 0);
        // Over the toolbar, between its buttons: a snapshot of the toolbar and its children.
        const auto result = vantrel.run({"capture", "--scene", VantrelProcess::scene("demo.json"),
                                         "--at", "600,786", "--json"});
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
        EXPECT_FALSE(QImage(shot).isNull());

        // The status line and the toast name the agent the format implies.
        const QString status = report["status"].toString();
        const QRegularExpression statusForm(QString("^Copied for %1: .+ · \\d+ AX nodes$")
                                                .arg(QRegularExpression::escape(layout.agent)));
        EXPECT_TRUE(statusForm.match(status).hasMatch()) << status.toStdString();
        EXPECT_EQ(report["toast"].toString(), QString("Copied — press ⌘V in ") + layout.agent);
        const QString summary = status.mid(status.indexOf(": ") + 2).section(" · ", 0, -2);

        // capture1.md, line by line.
        const QStringList lines = maskedLines(readText(doc));
        const QString json = readText(ax);
        QStringList expected{"# Vantrel capture (format 1)",
                             "",
                             QString("Paste to: %1 · mode: Full capture").arg(layout.agent),
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
                 << "```json" << json.split(u'\n') << "```"
                 << ""
                 << "Stable fallback: " + stable;
        EXPECT_EQ(lines, expected);

        // capture.md: the header and the asset list.
        const QStringList stableLines = maskedLines(readText(stable));
        EXPECT_EQ(stableLines.mid(0, 8),
                  (QStringList{"# Vantrel capture", "", "Format: stable (`capture.md`)",
                               "Captured: <time>", "Target: " + summary, "", "[VANTREL]",
                               "Simple bundle — read **this file** first. Full bundle folder: `" +
                                   folder + "`"}));
        EXPECT_EQ(stableLines.mid(stableLines.size() - 8),
                  (QStringList{"", "## Full bundle assets", "- screenshot.png — `" + shot + "`",
                               "- accessibility.json — `" + ax + "`",
                               "- capture.md — stable simple bundle",
                               "- capture1.md — experimental simple bundle", "",
                               "Remote agents (Grok, cloud): use **Tree mode** for inline JSON."}));

        // The pasteboard: items, their order, which one carries the text, and the "@" lines.
        const QJsonArray items = report["pasteboard"].toArray();
        ASSERT_EQ(items.size(), layout.items.size());
        QString pasted;
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QJsonObject item = items[i].toObject();
            QStringList types;
            for (const QString& type : layout.items[i]) {
                if (type.startsWith("url:")) {
                    types << "public.file-url";
                    EXPECT_EQ(item["public.file-url"].toString(),
                              QUrl::fromLocalFile(type == "url:doc" ? doc : shot).toString());
                } else {
                    types << type;
                }
            }
            EXPECT_EQ(QStringList(item.keys()), [&] {
                QStringList sorted = types;
                sorted.sort();
                return sorted;
            }());
            if (item.contains(image)) {
                const QImage picture(shot);
                EXPECT_EQ(item[image].toObject()["width"].toInt(), picture.width());
                EXPECT_EQ(item[image].toObject()["height"].toInt(), picture.height());
            }
            if (item.contains(text))
                pasted = item[text].toString();
        }
        QStringList atLines;
        for (const QString& line : pasted.split(u'\n')) {
            if (line.startsWith('@'))
                atLines << (line == "@" + doc ? "@doc" : line == "@" + shot ? "@shot" : line);
        }
        EXPECT_EQ(atLines, layout.atLines);
        EXPECT_TRUE(pasted.startsWith("# Vantrel · bundle ("));
    }
}

TEST(BundleCapture, TheStableDocumentChoiceReachesThePasteboard) {
    VantrelProcess vantrel;
    vantrel.run({"settings", "pasteboard-format", "legacyFileOnly"});
    vantrel.run({"settings", "bundle-format", "stable"});
    const auto result =
        vantrel.run({"capture", "--scene", VantrelProcess::scene("demo.json"), "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject report = result.json();
    const QString stable = report["bundle"].toObject()["stableCaptureURL"].toString();
    const QJsonArray items = report["pasteboard"].toArray();
    ASSERT_EQ(items.size(), 1);
    const QJsonObject item = items[0].toObject();
    EXPECT_EQ(item["public.file-url"].toString(), QUrl::fromLocalFile(stable).toString());
    EXPECT_EQ(item["public.utf8-plain-text"].toString().split(u'\n').first(),
              "# Vantrel · bundle (capture.md)");
}

TEST(BundleCapture, TwoCapturesMoveLatestToTheSecond) {
    VantrelProcess vantrel;
    QStringList folders;
    for (int run = 0; run < 2; ++run) {
        const auto result =
            vantrel.run({"capture", "--scene", VantrelProcess::scene("demo.json"), "--json"});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        folders << result.json()["bundle"].toObject()["directory"].toString();
    }
    EXPECT_NE(folders[0], folders[1]);
    const QString root = vantrel.cacheDir() + "/Vantrel";
    EXPECT_EQ(QFileInfo(root + "/latest").symLinkTarget(), folders[1]);
    EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
              (QStringList{"accessibility", "captures", "latest", "shots"}));
}
