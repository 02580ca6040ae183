// The tray app wired as it ships, on the simulated desktop: a hotkey runs a whole capture, the
// toast window shows the outcome, and a desktop without a tray is told how to go on.
#include "app/tray/TrayApplication.h"
#include "app/cli/GivenRegionSelection.h"
#include "platform/CompositorHelper.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/StandardLocations.h"
#include "platform/VirtualClock.h"
#include "platform/sim/SimDesktop.h"
#include "support/WaitUntil.h"
#include "ui/StatusMenuWire.h"
#include "ui/widgets/AboutDialog.h"
#include "ui/widgets/OnboardingWindow.h"
#include "ui/widgets/PermissionPage.h"
#include "ui/widgets/WelcomePage.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace std::chrono_literals;

namespace {

class TrayApplicationTest : public ::testing::Test {
  protected:
    // Runs queued presses, the capture's waits and its work on other threads until the status
    // line settles past the capturing (or dragging) line.
    bool settle() {
        return vantrel::testing::waitUntil([this] {
            clock.advance(10ms);
            const QString status = app.delegate().statusLine().text();
            return !status.startsWith("Capturing") && !status.startsWith("Drag an area");
        });
    }

    std::unique_ptr<SimDesktop> desktop =
        SimDesktop::fromFile(VANTREL_SOURCE_DIR "/examples/scenes/demo.json");
    Platform platform = desktop->platform();
    MemoryUserDefaults defaults;
    NotificationCenter center;
    VirtualClock clock;
    GivenRegionSelection regionSelection{QRectF(300, 300, 400, 200)};
    TrayApplication app{platform, defaults, center, clock, regionSelection};
};

// A shortcut held by another program is named; the other one still works.
TEST_F(TrayApplicationTest, WithoutATrayItSaysOnceHowToGoOnAndKeepsTheHotKeys) {
    desktop->input().registerHotKey(99, 8, 0x1800);
    // GNOME without its extension: the reason leads, in the notices and in the one message.
    const QStringList notices = app.start("No extension.");
    ASSERT_EQ(notices.size(), 3);
    EXPECT_EQ(notices.first(), "No extension.");
    EXPECT_TRUE(notices[1].startsWith("⌃⌥C is held by another program"));
    EXPECT_TRUE(notices.last().contains("no menu here")) << notices.last().toStdString();
    EXPECT_TRUE(notices.last().contains("Start Vantrel again for its settings"));
    EXPECT_FALSE(app.trayIcon());
    ASSERT_TRUE(app.dialogs().lastDialog());
    EXPECT_EQ(app.dialogs().lastDialog()->windowTitle(), "Vantrel is running");
    EXPECT_TRUE(app.dialogs().lastDialog()->text().startsWith("No extension.\n\nThis desktop"));
    EXPECT_TRUE(app.delegate().hotKeys().isRegionCopyRegistered());
}

TEST_F(TrayApplicationTest, EachHotKeyRunsAWholeCaptureAndTheToastShowsIt) {
    app.start();
    const QString captures = StandardLocations::cachesDirectory() + "/Vantrel/captures";
    const qsizetype before = QDir(captures).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    ASSERT_TRUE(desktop->pressHotKey(HotKeyManager::copyId));
    QCoreApplication::processEvents();
    ASSERT_TRUE(settle());
    EXPECT_TRUE(app.delegate().statusLine().text().startsWith("Copied for Claude Code: "))
        << app.delegate().statusLine().text().toStdString();
    EXPECT_EQ(QDir(captures).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), before + 1);
    EXPECT_FALSE(desktop->pasteboard().items().isEmpty());
    EXPECT_TRUE(app.toastWindow().isVisible());
    EXPECT_EQ(app.toastWindow().text(), "Copied — press ⌘V in Claude Code");
    EXPECT_EQ(app.toastWindow().windowTitle(), app.toastWindow().text());
    // Centred on the screen, 96 points above the bottom of its visible frame (875 high).
    const QRect toast = app.toastWindow().geometry();
    EXPECT_EQ(toast.bottom() + 1, 900 - 96);
    EXPECT_EQ(toast.height(), 44);
    EXPECT_NEAR(toast.center().x(), 720, 1);

    // The area shortcut reaches the area selection the app was given.
    desktop->pasteboard().clearContents();
    ASSERT_TRUE(desktop->pressHotKey(HotKeyManager::regionCopyId));
    QCoreApplication::processEvents();
    ASSERT_TRUE(settle());
    EXPECT_TRUE(app.delegate().statusLine().text().contains("region: 400×200 ax"))
        << app.delegate().statusLine().text().toStdString();
    EXPECT_FALSE(desktop->pasteboard().items().isEmpty());
}

// The app as wired: a missing permission opens the assistant at start, finishing it leaves no
// window, and the About and settings windows are each made once and shown again when asked for.
TEST_F(TrayApplicationTest, TheAssistantOpensAtStartFinishesWithoutWindowOthersAreReused) {
    desktop->setAccessibilityTrusted(false);
    app.start();
    const QPointer<OnboardingWindow> window = app.windows().onboardingWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isFloating());

    app.delegate().setupAssistant().show();
    EXPECT_EQ(app.windows().onboardingWindow(), window);

    window->welcomePage()->primaryButton()->click();
    window->accessibilityPage()->secondaryButton()->click();
    window->screenRecordingPage()->secondaryButton()->click(); // Skip for now
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
    EXPECT_FALSE(app.windows().onboardingWindow());
    EXPECT_TRUE(defaults.boolValue(SetupAssistantFlow::onboardingCompletedKey));

    Q_EMIT app.delegate().statusMenu().aboutRequested();
    AboutDialog* about = app.windows().aboutDialog();
    ASSERT_TRUE(about);
    about->close();
    Q_EMIT app.delegate().statusMenu().aboutRequested();
    EXPECT_EQ(app.windows().aboutDialog(), about);
    EXPECT_TRUE(about->isVisible());

    EXPECT_FALSE(app.settingsWindow());
    Q_EMIT app.delegate().statusMenu().settingsRequested();
    SettingsWindow* settings = app.settingsWindow();
    ASSERT_TRUE(settings);
    EXPECT_TRUE(settings->isVisible());
    settings->close();
    Q_EMIT app.delegate().statusMenu().settingsRequested();
    EXPECT_EQ(app.settingsWindow(), settings);
    EXPECT_TRUE(settings->isVisible());
    app.shutdown();
}

// GNOME's shell as the tray app sees it: it takes every menu and toast and lets the test choose.
class TrayFakeShell final : public CompositorHelper {
  public:
    QStringList menus;
    QStringList toasts;
    MenuHandler choose;

    std::optional<QPoint> pointer() override { return std::nullopt; }
    std::optional<QList<CompositorWindow>> windows() override { return std::nullopt; }
    QList<CompositorMonitor> monitors() override { return {}; }
    std::variant<QImage, PlatformError> picture(const QRect&) override {
        return PlatformError{"shell", 1, "no pictures"};
    }
    std::variant<QMap<QString, QString>, PlatformError> watchShortcuts(ShortcutHandler) override {
        return QMap<QString, QString>();
    }
    bool showStatusMenu(const QString& menu, MenuHandler handler) override {
        menus.append(menu);
        choose = std::move(handler);
        return true;
    }
    bool showToast(const QString& text) override {
        toasts.append(text);
        return true;
    }
};

// The id the menu gives the item of this title (top level).
QString trayItemId(const QString& menu, const QString& title) {
    for (const QJsonValue item : QJsonDocument::fromJson(menu.toUtf8()).array()) {
        if (item["title"] == title)
            return item["id"].toString();
    }
    return {};
}

// With a shell (GNOME on Wayland) the menu and the toast are the shell's; a click made in a menu
// replaced since still runs the item the user saw, as long as that menu is one of the last kept.
TEST_F(TrayApplicationTest, WithAShellTheMenuAndTheToastAreTheShellsAndOldClicksStillCount) {
    TrayFakeShell shell;
    TrayApplication shellApp{platform, defaults, center, clock, regionSelection, &shell};
    for (const QString& notice : shellApp.start("A notice."))
        EXPECT_FALSE(notice.contains("no menu here")) << notice.toStdString();
    EXPECT_FALSE(shellApp.trayIcon());
    ASSERT_TRUE(shellApp.dialogs().lastDialog());
    EXPECT_EQ(shellApp.dialogs().lastDialog()->text(), "A notice.") << "alone, with a menu";
    ASSERT_FALSE(shell.menus.isEmpty());
    int quits = 0;
    QObject::connect(&shellApp.delegate().statusMenu(), &StatusMenuPresenter::quitRequested,
                     [&quits] { ++quits; });
    const QString quitInFirst = trayItemId(shell.menus.first(), "Quit Vantrel");
    // Start-up may send it more than once; the first is the oldest kept once there are as many.
    while (shell.menus.size() < ShellStatusMenu::keptMenus)
        shellApp.delegate().statusMenu().rebuildStatusMenu();
    shell.choose(quitInFirst);
    QCoreApplication::processEvents();
    EXPECT_EQ(quits, 1);
    shellApp.delegate().statusMenu().rebuildStatusMenu();
    shell.choose(quitInFirst);
    shell.choose("not an id");
    QCoreApplication::processEvents();
    EXPECT_EQ(quits, 1) << "a menu no longer kept, and no menu at all, run nothing";

    ASSERT_TRUE(desktop->pressHotKey(HotKeyManager::copyId));
    QCoreApplication::processEvents();
    ASSERT_TRUE(vantrel::testing::waitUntil([&] {
        clock.advance(10ms);
        return !shell.toasts.isEmpty();
    }));
    EXPECT_EQ(shell.toasts, QStringList{"Copied — press ⌘V in Claude Code"});
    EXPECT_FALSE(shellApp.toastWindow().isVisible()) << "the shell's toast, not ours";
    shellApp.shutdown();
}

} // namespace
