// The tray app as a user runs it on the private desktop: its global shortcuts, driven by real key
// presses, capture what is under the pointer, serve the clipboard and show the toast; a shortcut
// another program holds leaves the other working; a second start finds the first.
#include "support/AccessibleLookup.h"
#include "support/DesktopTools.h"
#include "support/TestApplication.h"
#include "support/VantrelProcess.h"
#include "support/WaitUntil.h"
#include "support/XcbDesktop.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <memory>

namespace vantrel::testing {
namespace {

QString run(const QString& program, const QStringList& arguments) {
    return QString::fromUtf8(toolOutput(program, arguments));
}

// Compared whole, not as a pattern: the titles hold characters regular expressions treat apart.
bool windowShown(const QString& title) {
    const QStringList ids =
        run("xdotool", {"search", "--onlyvisible", "--name", "."}).split('\n', Qt::SkipEmptyParts);
    return std::any_of(ids.cbegin(), ids.cend(), [&](const QString& id) {
        return run("xdotool", {"getwindowname", id}).trimmed() == title;
    });
}

// The app without arguments, in a home of its own; ended by pid when this goes.
class TrayApp {
  public:
    explicit TrayApp(const VantrelProcess& home) {
        QDir().mkpath(home.home() + "/.run");
        QFile::setPermissions(home.home() + "/.run", QFileDevice::ReadOwner |
                                                         QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner);
        home.start(m_process, QStringLiteral(VANTREL_BINARY), {});
    }
    ~TrayApp() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            m_process.waitForFinished();
        }
    }

    // The desktop has no tray: once started, the app says so in a window of its own.
    bool waitUntilRunning() {
        return waitUntil([] { return windowShown("Vantrel is running"); });
    }
    void kill() {
        ::kill(static_cast<pid_t>(m_process.processId()), SIGKILL);
        m_process.waitForFinished();
    }
    QString errors() { return m_errors += QString::fromUtf8(m_process.readAllStandardError()); }
    qint64 pid() const { return m_process.processId(); }

  private:
    QProcess m_process;
    QString m_errors;
};

QStringList captureFolders(const VantrelProcess& home) {
    return QDir(home.cacheDir() + "/Vantrel/captures").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

// Another program holding Ctrl+Alt+<key> on the root window, as a second hotkey tool would.
class KeyGrab {
  public:
    explicit KeyGrab(xcb_keysym_t keysym) : m_connection(xcb_connect(nullptr, nullptr)) {
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        m_root = xcb_setup_roots_iterator(setup).data->root;
        m_keycode = keycodeOf(setup, keysym);
        const auto cookie =
            xcb_grab_key_checked(m_connection, 1, m_root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1,
                                 m_keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t* error = xcb_request_check(m_connection, cookie);
        m_held = !error;
        std::free(error);
    }
    ~KeyGrab() { xcb_disconnect(m_connection); }
    bool isHeld() const { return m_held; }

  private:
    xcb_keycode_t keycodeOf(const xcb_setup_t* setup, xcb_keysym_t keysym) {
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
            m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, count),
            nullptr);
        xcb_keycode_t found = 0;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping);
        for (int index = 0; index < count * mapping->keysyms_per_keycode && !found; ++index) {
            if (syms[index] == keysym)
                found = setup->min_keycode + index / mapping->keysyms_per_keycode;
        }
        std::free(mapping);
        return found;
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    xcb_keycode_t m_keycode = 0;
    bool m_held = false;
};

TEST(TrayApp, CtrlAltCOverTheGtkProbeCapturesItServesTheClipboardAndShowsTheToast) {
    const TestApplication probe = TestApplication::gtk();
    ASSERT_TRUE(probe.waitForAccessible("Paint", "push button"));
    const QPoint paint = probe.paintButton().center();
    run("xdotool", {"mousemove", QString::number(paint.x()), QString::number(paint.y())});
    VantrelProcess home;
    TrayApp app(home);
    ASSERT_TRUE(app.waitUntilRunning()) << app.errors().toStdString();

    run("xdotool", {"key", "ctrl+alt+c"});
    // The button has no children: a one-node snapshot, and the toast says so.
    EXPECT_TRUE(waitUntil([] {
        return windowShown("Copied, but the AX tree is empty — press Ctrl+Alt+C again");
    })) << app.errors().toStdString();
    ASSERT_TRUE(waitUntil([&] { return captureFolders(home).size() == 1; }));
    QFile snapshot(home.cacheDir() + "/Vantrel/captures/" + captureFolders(home).first() +
                   "/accessibility.json");
    ASSERT_TRUE(waitUntil([&] { return snapshot.exists(); }));
    ASSERT_TRUE(snapshot.open(QIODevice::ReadOnly));
    EXPECT_TRUE(snapshot.readAll().contains("\"Paint\""));
    // The app itself owns the clipboard while it runs.
    EXPECT_TRUE(waitUntil([] { return clipboard("TARGETS").contains("image/png"); }));
    EXPECT_FALSE(QImage::fromData(clipboard("image/png"), "PNG").isNull());
}

TEST(TrayApp, AShortcutHeldByAnotherProgramLeavesTheOtherWorking) {
    const TestApplication probe = TestApplication::gtk();
    ASSERT_TRUE(probe.waitForAccessible("Paint", "push button"));
    const KeyGrab other('c');
    ASSERT_TRUE(other.isHeld());
    VantrelProcess home;
    TrayApp app(home);
    ASSERT_TRUE(app.waitUntilRunning()) << app.errors().toStdString();
    EXPECT_TRUE(waitUntil([&] {
        return app.errors().contains("Ctrl+Alt+C is held by another program");
    })) << app.errors().toStdString();
    EXPECT_FALSE(app.errors().contains("Ctrl+Alt+R is held"));

    // Ctrl+Alt+C goes to the other program; Ctrl+Alt+R opens the overlay, and the area dragged
    // over the probe is captured.
    run("xdotool", {"key", "ctrl+alt+c"});
    const XcbDesktop x;
    const QPoint paint = probe.paintButton().center();
    const auto before = x.pixel(paint);
    run("xdotool", {"key", "ctrl+alt+r"});
    ASSERT_TRUE(waitUntil([&] { return x.pixel(paint) != before; }))
        << "the overlay dims the screen";
    const QRect area = probe.window().adjusted(20, 20, -20, -20);
    run("xdotool", {"mousemove", QString::number(area.left()), QString::number(area.top()),
                    "mousedown", "1", "mousemove", QString::number(area.center().x()),
                    QString::number(area.center().y()), "mousemove", QString::number(area.right()),
                    QString::number(area.bottom()), "mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return captureFolders(home).size() == 1; }))
        << app.errors().toStdString();
    const QString screenshot =
        home.cacheDir() + "/Vantrel/captures/" + captureFolders(home).first() + "/screenshot.png";
    ASSERT_TRUE(waitUntil([&] { return !QImage(screenshot).isNull(); }));
    const QSize size = QImage(screenshot).size();
    EXPECT_LE(qAbs(size.width() - area.width()) + qAbs(size.height() - area.height()), 2)
        << size.width() << "×" << size.height();
}

TEST(TrayApp, ASecondStartBringsTheFirstForwardAndACrashedOneDoesNotBlock) {
    VantrelProcess home;
    auto first = std::make_unique<TrayApp>(home);
    ASSERT_TRUE(first->waitUntilRunning());
    const auto second = home.run({});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.out, "Vantrel is already running. Its settings window is in front now.\n");
    EXPECT_TRUE(waitUntil([] { return windowShown("Vantrel Settings"); }));

    first->kill();
    ASSERT_TRUE(waitUntil([] { return !windowShown("Vantrel is running"); }));
    TrayApp third(home);
    EXPECT_TRUE(third.waitUntilRunning()) << third.errors().toStdString();
}

// Our own windows must be as readable as the applications we capture: every control a screen
// reader or our capture meets has a name, and the capture over a control names it.
TEST(TrayApp, TheSettingsWindowIsReadableThroughTheAccessibilityBus) {
    VantrelProcess home;
    TrayApp app(home);
    ASSERT_TRUE(app.waitUntilRunning());
    ASSERT_EQ(home.run({}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] {
        return AccessibleLookup::find(app.pid(), "Launch at login", "check box").has_value();
    })) << app.errors().toStdString();

    const QStringList controls = {"push button", "check box", "combo box",   "toggle button",
                                  "list item",   "link",      "radio button"};
    int named = 0;
    for (const AccessibleLookup::Node& node : AccessibleLookup::showing(app.pid())) {
        if (!controls.contains(node.role))
            continue;
        EXPECT_FALSE(node.name.trimmed().isEmpty())
            << node.role.toStdString() << " at " << node.extents.x() << "," << node.extents.y();
        ++named;
    }
    EXPECT_GE(named, 5) << "the sidebar's four sections and the switch";

    const auto toggle = AccessibleLookup::find(app.pid(), "Launch at login", "check box");
    const QPoint centre = toggle->extents.center();
    const auto capture = home.run({"capture", "--mode", "tree", "--at", bottomLeft(centre)});
    EXPECT_EQ(capture.exitCode, 0) << capture.err.toStdString();
    EXPECT_TRUE(clipboard("application/json").contains("Launch at login"));
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
        const QPoint centre = button->extents.center();
        run("xdotool",
            {"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click", "1"});
        return true;
    };
    ASSERT_TRUE(waitUntil([&] { return press("Get Started"); })) << app.errors().toStdString();
    ASSERT_TRUE(waitUntil([&] { return press("Request Access"); }));
    EXPECT_TRUE(waitUntil([&] {
        return AccessibleLookup::find(app.pid(), "Next", "push button").has_value();
    })) << "the page turns granted";
    EXPECT_TRUE(AccessibleLookup::find(app.pid(), "Accessibility", "label").has_value())
        << "and stays on the Accessibility page";
}

} // namespace
} // namespace vantrel::testing
