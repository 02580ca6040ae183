#include "support/VantrelProcess.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <gtest/gtest.h>

#include <algorithm>

using namespace vantrel::testing;

TEST(CaptureCommand, BadInputIsAUsageErrorAndTouchesNothing) {
    VantrelProcess vantrel;
    const QString malformed = vantrel.writeFile("broken.json", R"({
      "screens": [{"frame": [0, 0, 1440, 900]}],
      "windows": [{"id": 1, "pid": 7, "bounds": [0, 0, 100, 100],
                   "ax": {"role": "AXWindow", "children": [{"role": "AXButton", "frame": [1, 2, 3]}]}}]
    })");
    const struct {
        QStringList arguments;
        QStringList messageParts;
    } cases[] = {
        {{"capture", "--scene", malformed},
         {"broken.json", "windows[0].ax.children[0].frame", "expected"}},
        {{"capture", "--scene", vantrel.home() + "/missing.json"}, {"missing.json"}},
        {{"capture", "--region", "1,2,3"}, {"--region \"1,2,3\": expected four numbers"}},
        {{"capture", "--region", "0,0,-5,10"}, {"positive width and height"}},
        {{"capture", "--at", "x,1"}, {"--at \"x,1\": expected two numbers X,Y"}},
        {{"capture", "--mode", "Tree"}, {"--mode \"Tree\": expected bundle, screenshot or tree"}},
        {{"capture", "--front-window", "--region", "0,0,10,10"}, {"cannot be combined"}},
        {{"capture", "--colour"}, {"Unknown option 'colour'"}},
        {{"capture", "stray"}, {"unexpected argument \"stray\""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const auto result = vantrel.run(c.arguments);
        EXPECT_EQ(result.exitCode, 2);
        for (const QString& part : c.messageParts)
            EXPECT_TRUE(result.err.contains(part)) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
    EXPECT_FALSE(QDir(vantrel.cacheDir() + "/Vantrel/captures").exists());
}

// Without a scene the real desktop is captured; where there is none to reach, one line says why.
// On GNOME on Wayland a line says why the extension could not be used and one that the portal is
// used instead, whose failure (no session bus here) is the report's.
TEST(CaptureCommand, WithoutASceneOrADisplayItFailsWithTheReason) {
    VantrelProcess vantrel;
    const QString noBus = "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent ";
    const struct {
        QString environment;
        QString reason;
        qsizetype lines;
        bool reported = false;
    } cases[] = {
        {"env -u DISPLAY -u WAYLAND_DISPLAY", "DISPLAY is not set", 1},
        {"env -u DISPLAY -u XDG_CURRENT_DESKTOP WAYLAND_DISPLAY=wayland-9", "X11 applications only",
         1},
        {"env -u WAYLAND_DISPLAY DISPLAY=:9876", ":9876", 1},
        {"env -u DISPLAY WAYLAND_DISPLAY=wayland-9 XDG_CURRENT_DESKTOP=ubuntu:GNOME " + noBus,
         "vantrel capture: The Vantrel extension of GNOME Shell does not answer (Not connected to "
         "D-Bus server). Turn it on in Extensions, or run: gnome-extensions enable "
         "vantrel@quendale.com\nvantrel capture: capturing the front window and a picture of the "
         "whole desktop through GNOME's Screenshot portal",
         2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.environment.toStdString());
        const auto result = vantrel.runScript(c.environment + " \"$VANTREL\" capture --json");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.contains(c.reason)) << result.err.toStdString();
        EXPECT_EQ(result.err.count('\n'), c.lines) << result.err.toStdString();
        EXPECT_EQ(result.out.isEmpty(), !c.reported);
        if (c.reported) {
            EXPECT_FALSE(result.json()["ok"].toBool());
        }
    }
}

TEST(CaptureCommand, TreeModeForOneRunLeavesTheStoredModeAlone) {
    VantrelProcess vantrel;
    const QString pasteboardFile = vantrel.home() + "/pasteboard.json";
    const auto result =
        vantrel.run({"capture", "--scene", VantrelProcess::scene("demo.json"), "--mode", "tree",
                     "--json", "--pasteboard-out", pasteboardFile});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject report = result.json();
    EXPECT_TRUE(report["ok"].toBool());
    EXPECT_TRUE(report["status"].toString().startsWith("Copied AX tree (inline JSON): "));
    EXPECT_TRUE(report["status"].toString().endsWith(". Paste into remote agent chat."));
    EXPECT_EQ(report["toast"].toString(), "Copied — press ⌘V in Claude Code");
    EXPECT_TRUE(report["error"].isNull());
    EXPECT_TRUE(report["bundle"].isNull());
    const QJsonArray items = report["pasteboard"].toArray();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].toObject().keys(), (QStringList{"public.json", "public.utf8-plain-text"}));
    EXPECT_EQ(QJsonDocument::fromJson(VantrelProcess::readBytes(pasteboardFile)).array(), items);
    EXPECT_EQ(vantrel.run({"settings", "mode"}).out, "bundle\n");
    EXPECT_FALSE(QDir(vantrel.cacheDir() + "/Vantrel/captures").exists());
}

// Screen Recording is refused after the snapshot was taken: that snapshot is taken back too.
TEST(CaptureCommand, ADeniedPermissionFailsOpensItsPaneAndLeavesNothing) {
    VantrelProcess vantrel;
    const QString recordingDenied = vantrel.writeFile("denied-recording.json", R"({
      "screens": [{"frame": [0, 0, 1440, 900], "scale": 2, "number": 1}], "mouse": [400, 600],
      "permissions": {"accessibility": true, "screenRecording": false}, "frontmost": 601,
      "apps": [{"pid": 601, "name": "Notes", "bundleId": "com.example.notes"}],
      "windows": [{"id": 31, "pid": 601, "title": "List", "bounds": [200, 100, 800, 600],
                   "ax": {"role": "AXWindow", "title": "List", "frame": [200, 100, 800, 600]}}]
    })");
    const QString pane = "x-apple.systempreferences:com.apple.settings.PrivacySecurity.extension?";
    const QString recording = "Vantrel needs Screen Recording access. Enable it in System "
                              "Settings → Privacy & Security → Screen Recording.";
    const struct {
        QString scene;
        const char* mode;
        QString error;
        QString pane;
    } cases[] = {
        {VantrelProcess::scene("denied.json"), "bundle",
         "Vantrel needs Accessibility access. Enable it in System Settings → Privacy & Security → "
         "Accessibility.",
         pane + "Privacy_Accessibility"},
        {recordingDenied, "bundle", recording, pane + "Privacy_ScreenCapture"},
        {recordingDenied, "screenshot", recording, pane + "Privacy_ScreenCapture"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pane.toStdString() + " " + c.mode);
        const auto result =
            vantrel.run({"capture", "--scene", c.scene, "--mode", c.mode, "--json"});
        EXPECT_EQ(result.exitCode, 1);
        const QJsonObject report = result.json();
        EXPECT_FALSE(report["ok"].toBool());
        EXPECT_EQ(report["error"].toString(), c.error);
        EXPECT_EQ(report["status"], report["error"]);
        EXPECT_TRUE(report["toast"].isNull());
        EXPECT_TRUE(report["pasteboard"].toArray().isEmpty());
        EXPECT_EQ(report["openedURLs"].toArray(), QJsonArray{c.pane});

        const auto plain = vantrel.run({"capture", "--scene", c.scene, "--mode", c.mode});
        EXPECT_EQ(plain.exitCode, 1);
        EXPECT_TRUE(plain.out.isEmpty());
        EXPECT_TRUE(plain.err.contains(c.error));
    }
    const QString root = vantrel.cacheDir() + "/Vantrel/";
    for (const char* folder : {"accessibility", "shots"})
        EXPECT_TRUE(QDir(root + folder).entryList(QDir::Files).isEmpty()) << folder;
    EXPECT_FALSE(QDir(root + "captures").exists());
}

TEST(CaptureCommand, DemoWritesACaptureFolder) {
    VantrelProcess vantrel;
    const auto result = vantrel.run({"demo"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.startsWith("Copied for Claude Code: "));
    const QString folderLine = result.out.split('\n').value(1);
    ASSERT_TRUE(
        folderLine.startsWith("Capture folder: " + vantrel.cacheDir() + "/Vantrel/captures/"));
    const QDir folder(folderLine.mid(QString("Capture folder: ").size()));
    for (const char* file : {"accessibility.json", "capture.md", "capture1.md"})
        EXPECT_TRUE(folder.exists(file)) << file;
}

// Whatever the mode or the way the element is reached, a password's text goes nowhere.
TEST(CaptureCommand, APasswordFieldsTextReachesNoFileReportOrPasteboard) {
    const QByteArray secret = "hunter2-secret-pass";
    const struct {
        QStringList run;
        bool readsTheTree;
    } cases[] = {
        {{"--mode", "bundle"}, true},
        {{"--mode", "tree"}, true},
        {{"--mode", "screenshot"}, false},
        {{"--mode", "bundle", "--region", "100,400,400,200"}, true},
        {{"--mode", "bundle", "--front-window"}, true},
    };
    for (const auto& [run, readsTheTree] : cases) {
        SCOPED_TRACE(run.join(' ').toStdString());
        VantrelProcess vantrel;
        const QString scene = vantrel.writeFile("login.json", R"({
          "screens": [{"frame": [0, 0, 1440, 900], "scale": 1, "number": 1}],
          "mouse": [220, 560], "frontmost": 7,
          "apps": [{"pid": 7, "name": "Login", "bundleId": "com.example.login"}],
          "windows": [{"id": 1, "pid": 7, "title": "Sign in", "bounds": [100, 100, 600, 400],
            "ax": {"role": "AXWindow", "title": "Sign in", "frame": [100, 100, 600, 400], "children": [
              {"role": "AXTextField", "value": "ada", "frame": [120, 300, 200, 24]},
              {"role": "AXSecureTextField", "title": "Password", "value": "hunter2-secret-pass",
               "frame": [120, 330, 200, 24]}]}}]
        })");
        const auto result = vantrel.run(QStringList{"capture", "--scene", scene, "--json"} + run);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_FALSE(result.out.contains(secret));
        EXPECT_FALSE(result.err.contains(secret));
        const QString files = VantrelProcess::everyFileText(vantrel.cacheDir());
        // The field itself is still described; only its text is left out.
        EXPECT_EQ(files.contains("AXSecureTextField"), readsTheTree);
        EXPECT_FALSE(files.contains(secret));
    }
}

namespace {

QJsonObject node(const char* role, int x, int y, int side, const QJsonArray& children = {}) {
    QJsonObject result{{"role", role}, {"frame", QJsonArray{x, y, side, side}}};
    if (!children.isEmpty())
        result.insert("children", children);
    return result;
}

QJsonArray leaves(int count) {
    QJsonArray list;
    while (list.size() < count)
        list.append(node("AXButton", 20, 20, 5));
    return list;
}

int deepestLevel(const QJsonObject& tree) {
    int deepest = 0;
    for (const QJsonValue& child : tree["children"].toArray())
        deepest = std::max(deepest, 1 + deepestLevel(child.toObject()));
    return deepest;
}

} // namespace

// What a command writes is bounded however large the window: 24 children a node, four levels
// below the window, 120 nodes in all. A wide group comes first, then a chain six levels deep,
// then more groups than the budget holds.
TEST(CaptureCommand, ASnapshotOfAHugeWindowStopsAtItsLimits) {
    QJsonObject chain = node("AXButton", 300, 20, 5);
    for (int level = 0; level < 5; ++level)
        chain = node("AXGroup", 300, 20, 50, {chain});
    QJsonArray children{node("AXGroup", 10, 10, 200, leaves(30)), chain};
    for (int group = 0; group < 30; ++group)
        children.append(node("AXGroup", 400, 20, 100, leaves(5)));
    VantrelProcess vantrel;
    const QString path = vantrel.writeFile(
        "huge.json",
        QStringLiteral(R"({
      "screens": [{"frame": [0, 0, 1440, 900]}], "mouse": [100, 500], "frontmost": 7,
      "apps": [{"pid": 7, "name": "Huge"}],
      "windows": [{"id": 1, "pid": 7, "title": "Huge", "bounds": [0, 0, 800, 800], "ax": %1}]})")
            .arg(QString::fromUtf8(QJsonDocument(node("AXWindow", 0, 0, 800, children)).toJson()))
            .toUtf8());
    const auto result = vantrel.run({"capture", "--scene", path, "--front-window", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject report = result.json();
    EXPECT_TRUE(report["status"].toString().endsWith(" · 120 AX nodes"))
        << report["status"].toString().toStdString();
    QFile file(report["bundle"].toObject()["accessibilityURL"].toString());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject tree = QJsonDocument::fromJson(file.readAll()).object()["tree"].toObject();
    const QJsonArray kept = tree["children"].toArray();
    ASSERT_GE(kept.size(), 2);
    EXPECT_EQ(kept[0].toObject()["children"].toArray().size(), 24);
    EXPECT_EQ(deepestLevel(tree), 4);
}
