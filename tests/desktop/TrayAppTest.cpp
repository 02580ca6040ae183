// The tray app as a user runs it on the private desktop: its global shortcuts, driven by real key
// presses on the keys the server maps, capture what is under the pointer, serve the clipboard and
// show the toast; a shortcut another program holds leaves the other working; a second start finds
// the first.
#include "support/TrayApp.h"
#include "app/SingleInstance.h"
#include "app/cli/CaptureOptions.h"
#include "platform/linux/X11Translation.h"
#include "support/AccessibleLookup.h"
#include "support/DesktopTools.h"
#include "support/McpWire.h"
#include "support/TestApplication.h"
#include "support/VantrelProcess.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace vantrel::testing {
namespace {

// The file of this name in the capture folder once there is exactly one folder, else empty.
QString capturedFile(const VantrelProcess& home, const QString& name) {
    const QDir captures(home.cacheDir() + "/Vantrel/captures");
    const QStringList folders = captures.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return folders.size() == 1 ? captures.filePath(folders.first() + "/" + name) : QString();
}

// Ctrl+Alt+R: the overlay shows the frozen screen at 65 % of its brightness; Esc undoes it.
bool overlayOpens(QPoint point, const QColor& undimmed) {
    const auto near = [](int dimmed, int full) { return std::abs(dimmed - full * 0.65) <= 3; };
    xdotool({"key", "ctrl+alt+r"});
    return waitUntil([&] {
        const QColor seen = screenPixel(point);
        return near(seen.red(), undimmed.red()) && near(seen.green(), undimmed.green()) &&
               near(seen.blue(), undimmed.blue());
    });
}
bool overlayClosesOnEscape(QPoint point, const QColor& undimmed) {
    xdotool({"key", "Escape"});
    return waitUntil([&] { return screenPixel(point) == undimmed; });
}

TEST(TrayApp, CtrlAltCOverTheGtkProbeCapturesItServesTheClipboardAndShowsTheToast) {
    const TestApplication probe = TestApplication::gtk();
    ASSERT_TRUE(probe.waitForAccessible("Paint", "push button"));
    const QPoint paint = probe.paintButton().center();
    xdotool(mouseMove(paint));
    VantrelProcess home;
    TrayApp app(home);
    ASSERT_TRUE(app.waitUntilRunning()) << app.errors().toStdString();

    // Both shortcuts work side by side: Ctrl+Alt+R opens the overlay (Esc closes it), and
    // Ctrl+Alt+C captures.
    const QColor before = screenPixel(paint);
    EXPECT_TRUE(overlayOpens(paint, before));
    ASSERT_TRUE(overlayClosesOnEscape(paint, before));
    xdotool({"key", "ctrl+alt+c"});
    // The button has no children by nature: a one-node snapshot is whole, and the toast says
    // it was copied.
    EXPECT_TRUE(waitUntil([] { return windowShown("Copied — press Ctrl+V in Claude Code"); }))
        << app.errors().toStdString();
    QFile snapshot;
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(capturedFile(home, "accessibility.json")); }));
    snapshot.setFileName(capturedFile(home, "accessibility.json"));
    ASSERT_TRUE(snapshot.open(QIODevice::ReadOnly));
    EXPECT_TRUE(snapshot.readAll().contains("\"Paint\""));
    // The app itself owns the clipboard while it runs.
    EXPECT_TRUE(waitUntil([] { return clipboard("TARGETS").contains("image/png"); }));
    EXPECT_FALSE(QImage::fromData(clipboard("image/png"), "PNG").isNull());
}

// An agent's server that was started without DISPLAY still captures while the app runs: the app
// takes the capture, and a request the agent cancels closes the app's overlay.
TEST(TrayApp, TakesAnAgentsCapturesEvenWithoutADisplayAndDropsACancelledOne) {
    const TestApplication probe = TestApplication::gtk();
    ASSERT_TRUE(probe.waitForAccessible("Paint", "push button"));
    xdotool(mouseMove(probe.paintButton().center()));
    VantrelProcess home;
    TrayApp app(home);
    ASSERT_TRUE(app.waitUntilRunning()) << app.errors().toStdString();
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    McpWire wire(home, {});
    qputenv("DISPLAY", display);

    const QJsonObject captured = wire.call(1, "capture_window");
    const QString header = captured["content"][0]["text"].toString();
    ASSERT_FALSE(captured["isError"].toBool()) << header.toStdString();
    EXPECT_TRUE(header.contains("Folder: " + home.cacheDir() + "/Vantrel/captures/"));
    EXPECT_TRUE(captured["content"][2]["text"].toString().contains("Button \"Paint\""));

    const auto asking = [] {
        return !xdotool({"search", "--onlyvisible", "--name", "Vantrel area selection"}).isEmpty();
    };
    wire.startCall(2, "ask_user_to_capture", {{"prompt", "Never mind"}});
    ASSERT_TRUE(waitUntil(asking)) << app.errors().toStdString();
    wire.send(R"({"jsonrpc":"2.0","method":"notifications/cancelled","params":{"requestId":2}})");
    EXPECT_TRUE(waitUntil([&] { return !asking(); }));
}

// A client other than `vantrel capture --via-app`, which checks its arguments first, may send the
// app anything: what the app cannot parse or does not take is answered with exit 2 and why.
TEST(TrayApp, ACaptureRequestItCannotTakeIsAnsweredWithExitTwoAndWhy) {
    VantrelProcess home;
    TrayApp app(home);
    ASSERT_TRUE(app.waitUntilRunning()) << app.errors().toStdString();
    const QString ownDesktopOnly =
        "vantrel capture: the running app captures its own desktop only\n";
    const std::pair<QStringList, QString> cases[] = {
        {{"--mode", "everything"}, CaptureOptions::usage()},
        {{"--scene", "scene.json"}, ownDesktopOnly},
        {{"--pasteboard-out", "payload.json"}, ownDesktopOnly},
    };
    for (const auto& [arguments, ending] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const auto reply = SingleInstance::requestCapture(home.home() + "/.run", arguments);
        ASSERT_TRUE(reply);
        const QJsonObject answer = QJsonDocument::fromJson(*reply).object();
        EXPECT_EQ(answer["exitCode"].toInt(), 2);
        EXPECT_TRUE(answer["err"].toString().endsWith(ending))
            << answer["err"].toString().toStdString();
        EXPECT_EQ(answer["out"].toString(), "");
    }
}

TEST(TrayApp, AShortcutHeldByAnotherProgramLeavesTheOtherWorking) {
    const TestApplication probe = TestApplication::gtk();
    ASSERT_TRUE(probe.waitForAccessible("Paint", "push button"));
    const auto other = grabKey('c');
    ASSERT_TRUE(other);
    VantrelProcess home;
    TrayApp app(home);
    ASSERT_TRUE(app.waitUntilRunning()) << app.errors().toStdString();
    EXPECT_TRUE(waitUntil([&] {
        return app.errors().contains("Ctrl+Alt+C is held by another program");
    })) << app.errors().toStdString();
    EXPECT_FALSE(app.errors().contains("Ctrl+Alt+R is held"));

    // Ctrl+Alt+C goes to the other program. Ctrl+Alt+R opens the overlay, Esc closes it; the
    // next one captures the area dragged from the middle of the probe's button down and right.
    xdotool({"key", "ctrl+alt+c"});
    const QRect paint = probe.paintButton();
    const QColor before = screenPixel(paint.center());
    ASSERT_TRUE(overlayOpens(paint.center(), before));
    ASSERT_TRUE(overlayClosesOnEscape(paint.center(), before));
    ASSERT_TRUE(overlayOpens(paint.center(), before));
    const QRect area(paint.center(), QSize(120, 60));
    xdotool(mouseMove(area.topLeft()) + QStringList{"mousedown", "1"} + mouseMove(area.center()) +
            mouseMove(area.bottomRight() + QPoint(1, 1)) + QStringList{"mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return !QImage(capturedFile(home, "screenshot.png")).isNull(); }))
        << app.errors().toStdString();
    const QString screenshot = capturedFile(home, "screenshot.png");
    EXPECT_EQ(QImage(screenshot).size(), area.size());
    // Undimmed, and the button's quarter where it was: one pixel off moves a row or a column.
    const QRect quarter = paint.intersected(area);
    EXPECT_NEAR(pixelsOfColour(QImage(screenshot), paintColour), quarter.width() * quarter.height(),
                quarter.height() / 2);
}

// A second start brings the settings window forward, and that window is as readable as the
// applications we capture: every control a screen reader or our capture meets has a name, and
// the capture over a control names it. A crashed first start then does not block the next.
TEST(TrayApp, ASecondStartShowsAReadableSettingsWindowAndACrashedOneDoesNotBlock) {
    VantrelProcess home;
    auto first = std::make_unique<TrayApp>(home);
    ASSERT_TRUE(first->waitUntilRunning());
    const auto second = home.run({});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.out, "Vantrel is already running. Its settings window is in front now.\n");
    EXPECT_TRUE(waitUntil([] { return windowShown("Vantrel Settings"); }));
    const auto toggle = AccessibleLookup::waitFor(first->pid(), "Launch at login", "check box");
    ASSERT_TRUE(toggle) << first->errors().toStdString();

    const QStringList controls = {"push button", "check box", "combo box",   "toggle button",
                                  "list item",   "link",      "radio button"};
    int named = 0;
    const QList<AccessibleLookup::Node> nodes = AccessibleLookup::nodes(first->pid());
    for (const AccessibleLookup::Node& node : nodes) {
        if (!node.showing || !controls.contains(node.role))
            continue;
        EXPECT_FALSE(node.name.trimmed().isEmpty())
            << node.role.toStdString() << " at " << node.extents.x() << "," << node.extents.y();
        ++named;
    }
    EXPECT_GE(named, 5) << "the sidebar's four sections and the switch";
    // The window names this very build, as `--version` does.
    const QStringList version = home.run({"--version"}).out.trimmed().split(' ');
    ASSERT_EQ(version.size(), 4) << "a build from a checkout";
    const QString versionLine = "Vantrel " + version[1] + " (" + version[3];
    EXPECT_TRUE(std::any_of(nodes.begin(), nodes.end(), [&](const auto& node) {
        return node.name == versionLine;
    })) << versionLine.toStdString();
    const auto capture =
        home.run({"capture", "--mode", "tree", "--at", bottomLeft(toggle->extents.center())});
    EXPECT_EQ(capture.exitCode, 0) << capture.err.toStdString();
    // Tree mode: the JSON on the clipboard as its own type, and text, but no picture.
    const QJsonObject tree = QJsonDocument::fromJson(clipboard("application/json")).object();
    EXPECT_EQ(tree["tree"]["role"].toString() + " " + tree["tree"]["title"].toString(),
              "AXCheckBox Launch at login");
    EXPECT_TRUE(clipboard("TARGETS").contains("UTF8_STRING"));
    EXPECT_FALSE(clipboard("TARGETS").contains("image/png"));

    first->kill();
    ASSERT_TRUE(waitUntil([] { return !windowShown("Vantrel is running"); }));
    TrayApp third(home);
    EXPECT_TRUE(third.waitUntilRunning()) << third.errors().toStdString();
}

// A runtime folder where the lock or the socket cannot go: the app says why and exits 1
// instead of taking the start for a second one.
TEST(TrayApp, ARuntimeFolderThatCannotBeUsedStopsTheStartWithItsReason) {
    const std::pair<QString, QString> cases[] = {{"vantrel.lock", " is not writable.\n"},
                                                 {"vantrel.socket", "cannot listen at "}};
    for (const auto& [blocked, reason] : cases) {
        SCOPED_TRACE(blocked.toStdString());
        VantrelProcess home;
        const QString runtime = home.home() + "/.run";
        ASSERT_TRUE(QDir().mkpath(runtime + u'/' + blocked + "/kept"));
        ASSERT_TRUE(
            QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const auto start = home.run({});
        EXPECT_EQ(start.exitCode, 1);
        EXPECT_TRUE(start.err.startsWith("vantrel: Cannot start Vantrel: "))
            << start.err.toStdString();
        EXPECT_TRUE(start.err.contains(reason)) << start.err.toStdString();
        EXPECT_EQ(start.out, "");
    }
}

// A desktop with assistive technologies off: the assistant opens at start, and its "Request
// Access" really switches them on, which the page shows without moving on.
TEST(TrayApp, TheSetupAssistantTurnsAccessibilityOnFromItsPage) {
    setAccessibilityEnabled(false);
    struct Restore {
        ~Restore() { setAccessibilityEnabled(true); }
    } restore;
    VantrelProcess home;
    TrayApp app(home);
    ASSERT_TRUE(waitUntil([] { return windowShown("Welcome to Vantrel"); }))
        << app.errors().toStdString();
    const auto press = [&app](const QString& title) {
        const auto button = AccessibleLookup::find(app.pid(), title, "push button");
        if (!button)
            return false;
        xdotool(mouseMove(button->extents.center()) + QStringList{"click", "1"});
        return true;
    };
    ASSERT_TRUE(waitUntil([&] { return press("Get Started"); })) << app.errors().toStdString();
    ASSERT_TRUE(waitUntil([&] { return press("Request Access"); }));
    EXPECT_TRUE(AccessibleLookup::waitFor(app.pid(), "Next", "push button"))
        << "the page turns granted";
    EXPECT_TRUE(AccessibleLookup::find(app.pid(), "Accessibility", "label").has_value())
        << "and stays on the Accessibility page";
}

// The characters of the macOS ANSI layout, indexed by its virtual key codes (kVK_ANSI_A = 0 ...
// kVK_Escape = 0x35); \0 where a code names no key of that layout.
constexpr char16_t macAnsiLayout[] =
    u"asdfhgzxcv\0bqweryt123465=97-80]ou[ip\rlj'k;\\,/nm.\t `\b\0\x1b";

// Each key of that layout is grabbed on the keycode the X server gives its character; no other
// key is offered.
TEST(HotKeyKeymap, EveryKeyOfTheTableIsTheServersKeyForItsCharacter) {
    const QList<quint32> keysyms = serverKeysyms();
    for (quint32 macKey = 0; macKey < 0x80; ++macKey) {
        const char16_t character =
            macKey + 1 < std::size(macAnsiLayout) ? macAnsiLayout[macKey] : 0;
        // Printable ASCII is its own keysym; Return, Tab, BackSpace and Escape are 0xff00 + it.
        const quint32 keysym = character == 0     ? 0
                               : character < 0x20 ? 0xff00u | character
                                                  : character;
        const std::optional<quint8> keycode = X11Translation::keycode(macKey);
        EXPECT_EQ(keycode ? keysyms.value(*keycode) : 0, keysym) << "macOS key " << macKey;
    }
}

} // namespace
} // namespace vantrel::testing
