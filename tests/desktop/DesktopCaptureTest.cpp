// Whole captures of real applications on the private desktop, as a user runs them from a shell:
// the folder, the pixels, and a clipboard that other programs can still paste from once the
// command has gone.
#include "support/AccessibleLookup.h"
#include "support/DesktopTools.h"
#include "support/TestApplication.h"
#include "support/VantrelProcess.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QProcess>
#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

const QByteArray secret = "hunter2-secret-pass";

// Every node of the capture's snapshot tree, each before its children's children.
QList<QJsonObject> nodesOf(const QJsonObject& report) {
    QFile file(report["bundle"]["accessibilityURL"].toString());
    file.open(QIODevice::ReadOnly);
    QList<QJsonObject> nodes{QJsonDocument::fromJson(file.readAll())["tree"].toObject()};
    for (qsizetype index = 0; index < nodes.size(); ++index) {
        for (const QJsonValue child : nodes[index]["children"].toArray())
            nodes.append(child.toObject());
    }
    return nodes;
}

TEST(DesktopCapture, ABundleOverAGtkButtonIsWholeAndPastesAfterTheCommandExits) {
    const TestApplication app = TestApplication::gtk();
    ASSERT_TRUE(app.waitForAccessible("Paint", "push button"));
    const QRect paint = app.paintButton();
    VantrelProcess vantrel;
    const auto result = vantrel.run({"capture", "--at", bottomLeft(paint.center()), "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject report = result.json();

    const QList<QJsonObject> nodes = nodesOf(report);
    ASSERT_FALSE(nodes.isEmpty());
    EXPECT_EQ(nodes.first()["role"].toString() + " " + nodes.first()["title"].toString(),
              "AXButton Paint");
    const QJsonObject f = nodes.first()["frame"].toObject();
    const QRect frame(f["x"].toInt(), f["y"].toInt(), f["width"].toInt(), f["height"].toInt());
    EXPECT_LE((frame.topLeft() - paint.topLeft()).manhattanLength(), 2);
    EXPECT_LE(qAbs(frame.width() - paint.width()) + qAbs(frame.height() - paint.height()), 2);

    // The window's picture: its client area in the window manager's frame, as xprop reads the
    // frame, showing the button's own colour over its whole area.
    const QImage screenshot(report["bundle"]["screenshotURL"].toString());
    const QStringList extents =
        toolOutput("xprop", {"-id", QString::number(app.windowId()), "_NET_FRAME_EXTENTS"})
            .section('=', 1)
            .remove(' ')
            .split(',');
    ASSERT_EQ(extents.size(), 4);
    EXPECT_EQ(screenshot.size(),
              app.window().size() + QSize(extents[0].toInt() + extents[1].toInt(),
                                          extents[2].toInt() + extents[3].toInt()));
    EXPECT_NEAR(pixelsOfColour(screenshot, paintColour), paint.width() * paint.height(),
                paint.width() * paint.height() / 10);

    const QByteArray targets = clipboard("TARGETS");
    for (const char* target : {"image/png", "UTF8_STRING", "text/plain;charset=utf-8"})
        EXPECT_TRUE(targets.contains(target)) << target << "\n" << targets.constData();
    EXPECT_EQ(QImage::fromData(clipboard("image/png"), "PNG").size(), screenshot.size());
    EXPECT_EQ(QString::fromUtf8(clipboard("text/plain;charset=utf-8")),
              report["pasteboard"][0]["public.utf8-plain-text"].toString());
}

// In a pipeline, as agents run it: the command's end ends the pipes on both sides of it, though the
// clipboard server it started stays to serve the paste.
TEST(DesktopCapture, APipelineEndsWithTheCommandWhileTheClipboardIsStillServed) {
    const TestApplication app = TestApplication::gtk();
    ASSERT_TRUE(app.waitForAccessible("Paint", "push button"));
    VantrelProcess vantrel;
    const auto result =
        vantrel.runScript("head -c 1000000 /dev/zero | \"$VANTREL\" capture --json --at " +
                          bottomLeft(app.paintButton().center()) + " | wc -c");
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_GT(result.out.trimmed().toInt(), 100);
    EXPECT_TRUE(clipboard("TARGETS").contains("image/png"));
}

TEST(DesktopCapture, AnAreaOverTheListKeepsOnlyTheRowsInIt) {
    const TestApplication app = TestApplication::gtk();
    const auto third = app.waitForAccessible("Row 3", "label");
    const auto sixth = AccessibleLookup::find(app.pid(), "Row 6", "label");
    ASSERT_TRUE(third && sixth);
    const QRect area(third->extents.left() + 10, third->extents.top(), 200,
                     sixth->extents.bottom() - third->extents.top() + 1);
    VantrelProcess vantrel;
    const auto result = vantrel.run({"capture", "--region", bottomLeft(area), "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject report = result.json();
    QStringList rows;
    for (const QJsonObject& node : nodesOf(report)) {
        if (node["title"].toString().startsWith("Row "))
            rows.append(node["title"].toString());
    }
    EXPECT_EQ(rows, (QStringList{"Row 3", "Row 4", "Row 5", "Row 6"}));
    EXPECT_EQ(QImage(report["bundle"]["screenshotURL"].toString()).size(), area.size());
}

// Windows above the probe that are no application window on screen: a panel (a dock-type
// window, as desktop panels are) over its lower half, and a minimised window (still in the
// stacking order) over all of it. An area across them takes its tree from the probe.
TEST(DesktopCapture, AnAreaTakesItsTreeFromTheWindowOnScreenNotAPanelOrAMinimisedOne) {
    const TestApplication app = TestApplication::gtk();
    ASSERT_TRUE(app.waitForAccessible("Paint", "push button"));
    const struct {
        QString title;
        QStringList arguments;
        bool minimised;
    } cases[] = {
        {"Vantrel Panel",
         {"--type-hint", "dock", "--undecorated", "--y", "400", "--size", "800x290"},
         false},
        {"Minimised Probe", {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        const TestApplication above =
            TestApplication::gtk(QStringList{"--title", c.title} + c.arguments);
        ASSERT_TRUE(above.waitForAccessible("Paint", "push button"));
        if (c.minimised)
            xdotool({"windowminimize", "--sync", QString::number(above.windowId())});
        else
            ASSERT_EQ(screenPixel(above.paintButton().center()), paintColour) << "it is on top";
        VantrelProcess vantrel;
        const QRect area(200, 300, 400, 200);
        const auto result = vantrel.run({"capture", "--region", bottomLeft(area), "--json"});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QJsonObject report = result.json();
        const QString snapshot =
            VantrelProcess::readText(report["bundle"]["accessibilityURL"].toString());
        EXPECT_TRUE(snapshot.contains("\"Vantrel Probe\"")) << snapshot.toStdString();
        EXPECT_FALSE(snapshot.contains(c.title));
    }
}

TEST(DesktopCapture, APasswordsTextGoesNowhere) {
    const TestApplication app = TestApplication::gtk();
    const auto password = app.waitForAccessible("", "password text");
    ASSERT_TRUE(password);
    const QStringList runs[] = {
        {"--at", bottomLeft(password->extents.center())},
        {"--mode", "tree", "--at", bottomLeft(password->extents.center())},
        {"--region", bottomLeft(app.window())},
        {"--front-window"},
    };
    for (const QStringList& run : runs) {
        SCOPED_TRACE(run.join(' ').toStdString());
        VantrelProcess vantrel;
        const auto result = vantrel.run(QStringList{"capture", "--json"} + run);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_TRUE(result.out.contains("AXSecureTextField"));
        EXPECT_FALSE(result.out.contains(secret));
        EXPECT_FALSE(VantrelProcess::everyFileText(vantrel.home()).contains(secret));
        EXPECT_FALSE(clipboard("UTF8_STRING").contains(secret));
        EXPECT_FALSE(clipboard("application/json").contains(secret));
    }
}

// Without assistive technologies switched on, or without a session bus to ask, the capture fails
// with the permission error in the desktop's words and leaves the clipboard as it was.
TEST(DesktopCapture, WithoutAccessibilityItFailsCleanly) {
    const TestApplication app = TestApplication::gtk();
    ASSERT_TRUE(app.waitForAccessible("Paint", "push button"));
    const QString at = bottomLeft(app.paintButton().center());
    const QString runs[] = {
        "\"$VANTREL\" capture --at " + at,
        "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent \"$VANTREL\" capture --at " + at,
    };
    for (const QString& run : runs) {
        SCOPED_TRACE(run.toStdString());
        QProcess::execute("bash",
                          {"-c", "echo before | xclip -selection clipboard >/dev/null 2>&1"});
        setAccessibilityEnabled(run.startsWith("DBUS") ? true : false);
        VantrelProcess vantrel;
        const auto result = vantrel.runScript(run);
        setAccessibilityEnabled(true);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.contains("needs Accessibility access. Enable it in your desktop's "
                                        "accessibility settings"))
            << result.err.toStdString();
        EXPECT_FALSE(QDir(vantrel.cacheDir() + "/Vantrel/captures").exists());
        EXPECT_EQ(clipboard("UTF8_STRING"), "before\n");
        // The clipboard server started with the command goes with the failed capture, and no
        // payload file stays behind.
        EXPECT_TRUE(waitUntil([&] {
            return toolOutput("pgrep", {"-f", vantrel.home()}).isEmpty();
        }));
        EXPECT_FALSE(VantrelProcess::everyFileName(vantrel.home()).contains("clipboard-"));
    }
}

// A GTK window with nothing in it is an empty tree: the status line as ever, then GTK's cause;
// a button alone is a whole capture with the normal toast.
TEST(DesktopCapture, AnEmptyWindowSaysWhyAndAButtonAloneIsWhole) {
    const struct {
        const char* name;
        QStringList arguments;
        bool empty;
    } cases[] = {{"empty window", {"--empty"}, true}, {"button", {}, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TestApplication app = TestApplication::gtk(c.arguments);
        const QPoint at = c.empty ? app.window().center() : app.paintButton().center();
        if (!c.empty) {
            ASSERT_TRUE(app.waitForAccessible("Paint", "push button"));
        }
        VantrelProcess vantrel;
        const auto result = vantrel.run({"capture", "--at", bottomLeft(at), "--json"});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QJsonObject report = result.json();
        EXPECT_TRUE(report["status"].toString().endsWith(" · 1 AX nodes"))
            << report["status"].toString().toStdString();
        EXPECT_EQ(report["statusFollowUp"].toString().startsWith("The AX tree is empty (GTK): "),
                  c.empty)
            << report["statusFollowUp"].toString().toStdString();
        EXPECT_EQ(report["toast"].toString(),
                  c.empty ? "Copied, but the AX tree is empty — press Ctrl+Alt+C again"
                          : "Copied — press Ctrl+V in Claude Code");
    }
}

// A clipboard server whose command ends without handing it a payload (the command crashed)
// notices by itself and leaves, serving nothing.
TEST(DesktopCapture, AClipboardServerWhoseCommandEndsWithoutAPayloadLeaves) {
    QProcess command; // stands in for the capture command: it runs until its input closes
    command.start("cat", {});
    ASSERT_TRUE(command.waitForStarted());
    VantrelProcess vantrel;
    QProcess server;
    vantrel.start(
        server, VANTREL_CLIPBOARD_SERVER,
        {vantrel.home() + "/clipboard-never.payload", QString::number(command.processId()), "x11"});
    ASSERT_TRUE(server.waitForStarted());
    // Waiting, it watches the payload's folder: only then may the command end.
    ASSERT_TRUE(waitUntil([&] {
        const QDir descriptors(QString("/proc/%1/fd").arg(server.processId()));
        for (const QFileInfo& fd : descriptors.entryInfoList(QDir::Files | QDir::System))
            if (fd.symLinkTarget().contains("inotify"))
                return true;
        return false;
    }));
    command.closeWriteChannel();
    ASSERT_TRUE(command.waitForFinished());
    EXPECT_TRUE(server.waitForFinished(10000));
    EXPECT_EQ(server.exitCode(), 0);
}

} // namespace
} // namespace vantrel::testing
