#include "support/VantrelProcess.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace vantrel::testing;

namespace {

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A dock (layer 20) that no area resolves to, but that a hit-test finds.
const char* const dockOnly = R"({
  "screens": [{"frame": [0, 0, 1440, 900], "scale": 2, "number": 1}],
  "apps": [{"pid": 701, "name": "Dock", "bundleId": "com.example.dock"}],
  "frontmost": null,
  "windows": [{"id": 61, "pid": 701, "title": "Dock", "bounds": [400, 820, 640, 80], "layer": 20,
               "ax": {"role": "AXList", "title": "Dock", "frame": [400, 820, 640, 80], "children": [
                 {"role": "AXDockItem", "title": "Mail", "frame": [420, 830, 60, 60]}]}}]
})";

struct AreaCase {
    const char* name;
    QString scene;
    const char* region;        // bottom-left X,Y,W,H
    QJsonObject topLeftRegion; // as the snapshot file records it
    QString notePattern;
};

} // namespace

TEST(AreaCapture, EachRootResolutionEndToEnd) {
    VantrelProcess vantrel;
    QFile dock(vantrel.home() + "/dock.json");
    ASSERT_TRUE(dock.open(QIODevice::WriteOnly));
    dock.write(dockOnly);
    dock.close();

    const AreaCase cases[] = {
        {"matched",
         VantrelProcess::scene("demo.json"),
         "170,550,300,200",
         {{"x", 170}, {"y", 150}, {"width", 300}, {"height", 200}},
         R"(^region root: Postbox \(pid \d+\); region: 300×200 ax, kept \d+ nodes$)"},
        {"application without accessibility windows",
         VantrelProcess::scene("no-ax.json"),
         "120,680,200,100",
         {{"x", 120}, {"y", 120}, {"width", 200}, {"height", 100}},
         R"(^region root: none — Canvas Game \(pid 801\) exposes no AX windows$)"},
        {"nothing under the area",
         dock.fileName(),
         "420,10,60,60",
         {{"x", 420}, {"y", 830}, {"width", 60}, {"height", 60}},
         R"(^region root: NOT RESOLVED → cursor hit-test; region: 60×60 ax, kept 1 nodes$)"},
    };
    for (const AreaCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QRegularExpression note(c.notePattern);
        for (const char* mode : {"bundle", "tree", "screenshot"}) {
            SCOPED_TRACE(mode);
            const auto result = vantrel.run(
                {"capture", "--scene", c.scene, "--region", c.region, "--mode", mode, "--json"});
            ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
            const QJsonObject report = result.json();
            const QString status = report["status"].toString();
            if (QString(mode) == "screenshot") {
                EXPECT_EQ(status, "Copied screenshot. Paste once for the image.");
                continue;
            }
            if (QString(mode) == "tree") {
                EXPECT_TRUE(status.startsWith("Copied AX tree (inline JSON): "));
                continue;
            }
            // Bundle: the status line ends with the note, which capture1.md repeats.
            const QString statusNote = status.section(" AX nodes · ", 1);
            EXPECT_TRUE(note.match(statusNote).hasMatch()) << status.toStdString();
            EXPECT_FALSE(status.contains("region capture"));
            const QJsonObject bundle = report["bundle"].toObject();
            const QStringList document =
                readText(bundle["experimentalCaptureURL"].toString()).split(u'\n');
            EXPECT_TRUE(document.value(2).endsWith(" · " + statusNote))
                << document.value(2).toStdString();
            const QJsonObject snapshot =
                QJsonDocument::fromJson(readText(bundle["accessibilityURL"].toString()).toUtf8())
                    .object();
            EXPECT_EQ(snapshot["region"].toObject(), c.topLeftRegion);
            EXPECT_EQ(snapshot["regionNote"].toString(), statusNote);
        }
    }
}
