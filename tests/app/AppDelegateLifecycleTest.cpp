// The application around the captures: start-up, the status menu and tooltip, the mode and agent
// choices, the permission status line, shutdown.
#include "AppDelegateFixture.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/CaptureModeSettings.h"
#include "ui/OnboardingViewModel.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

QStringList titles(const StatusMenu& menu) {
    QStringList shown;
    for (const StatusMenuItem& item : menu.items)
        shown.append(item.title);
    return shown;
}

const StatusMenuItem* find(const QList<StatusMenuItem>& items, const QString& title) {
    for (const StatusMenuItem& item : items) {
        if (item.title == title)
            return &item;
        if (const StatusMenuItem* inner = find(item.submenu, title))
            return inner;
    }
    return nullptr;
}

class AppDelegateLifecycleTest : public AppDelegateFixture {
  protected:
    AppDelegateLifecycleTest() {
        regionSelection.answer = std::nullopt;
        QObject::connect(&delegate, &AppDelegate::statusMenuChanged,
                         [this] { menus.append(delegate.statusMenu()); });
        QObject::connect(&delegate, &AppDelegate::onboardingRequested,
                         [this] { windows.append("setup"); });
        QObject::connect(&delegate, &AppDelegate::settingsRequested,
                         [this] { windows.append("settings"); });
    }

    void choose(const QString& title) {
        const StatusMenuItem* item = find(delegate.statusMenu().items, title);
        ASSERT_TRUE(item) << title.toStdString();
        delegate.perform(*item);
    }

    QList<StatusMenu> menus;
    QStringList windows;
};

TEST_F(AppDelegateLifecycleTest, StartingWithBothPermissionsEndsReadyWithoutWarnings) {
    delegate.applicationDidFinishLaunching();
    // The first menu comes before the first poll; the poll's news rebuilds it.
    ASSERT_GE(menus.size(), 2);
    EXPECT_EQ(menus.first().items.first().title, "⚠︎ Accessibility not granted");
    EXPECT_EQ(titles(delegate.statusMenu()).first(), "Capture Mode");
    EXPECT_EQ(delegate.lastStatus(), "Ready. Accessibility ✓, Screen Recording ✓. Mode: Full "
                                     "capture (for agents). Press ⌃⌥C.");
    EXPECT_TRUE(defaults.boolValue(AppDelegate::onboardingCompletedKey));
    EXPECT_TRUE(windows.isEmpty());
    EXPECT_EQ(delegate.toolTip(), "Vantrel — ⌃⌥C window · ⌃⌥R area · Paste to Claude Code");
    EXPECT_EQ(desktop.input().hotKeys().size(), 2);
    EXPECT_EQ(desktop.input().monitorCount(), 1);
    // "Copy Window" before the mouse moves captures where the pointer already is.
    EXPECT_EQ(delegate.lastCaptureMouseLocation(), platform.screens.mouseLocation());
    EXPECT_NE(delegate.lastCaptureMouseLocation(), QPointF());
}

TEST_F(AppDelegateLifecycleTest, AMissingPermissionOpensTheSetupEvenWhenItWasCompletedBefore) {
    defaults.setBool(AppDelegate::onboardingCompletedKey, true);
    desktop.setAccessibilityTrusted(false);
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(windows, QStringList{"setup"});
    EXPECT_EQ(titles(delegate.statusMenu()).first(), "⚠︎ Accessibility not granted");
    EXPECT_EQ(delegate.lastStatus(),
              "Accessibility ✗, Screen Recording ✓. Grant missing access in System Settings — "
              "Vantrel picks it up on its own.");

    // The grant is seen by the next poll, and the warnings go.
    desktop.setAccessibilityTrusted(true);
    clock.advance(1s);
    EXPECT_EQ(titles(delegate.statusMenu()).first(), "Capture Mode");
}

TEST_F(AppDelegateLifecycleTest, ChoosingModeAndAgentFromTheMenu) {
    delegate.applicationDidFinishLaunching();
    choose("Screenshot only");
    EXPECT_EQ(CaptureModeSettings::primaryMode(defaults), CaptureMode::screenshot);
    EXPECT_TRUE(find(delegate.statusMenu().items, "Screenshot only")->checked);
    EXPECT_FALSE(find(delegate.statusMenu().items, "Full capture (for agents)")->checked);
    EXPECT_EQ(delegate.lastStatus(), "Mode set to Screenshot only. Press ⌃⌥C over the target UI.");

    choose("Codex");
    EXPECT_TRUE(find(delegate.statusMenu().items, "Paste To ▸ Codex"));
    EXPECT_TRUE(delegate.toolTip().endsWith("Paste to Codex"));
    EXPECT_EQ(delegate.lastStatus(), "Paste to Codex. Press ⌃⌥C, then ⌘V.");

    // Unknown values change nothing.
    const QString before = delegate.lastStatus();
    delegate.setCaptureMode("video");
    delegate.setAgentPasteTarget("");
    EXPECT_EQ(delegate.lastStatus(), before);
    EXPECT_EQ(CaptureModeSettings::primaryMode(defaults), CaptureMode::screenshot);
}

TEST_F(AppDelegateLifecycleTest, ChangesMadeElsewhereReachTheMenuAndToolTip) {
    delegate.applicationDidFinishLaunching();
    AgentPasteTargetSettings::setTarget(defaults, center, AgentPasteTarget::cursor);
    EXPECT_TRUE(find(delegate.statusMenu().items, "Paste To ▸ Cursor"));
    EXPECT_TRUE(delegate.toolTip().endsWith("Paste to Cursor"));
    CaptureModeSettings::setPrimaryMode(defaults, center, CaptureMode::tree);
    EXPECT_TRUE(find(delegate.statusMenu().items, "Text tree (cloud chat)")->checked);
}

TEST_F(AppDelegateLifecycleTest, HotKeysReachTheCaptureAndShutdownLetsGo) {
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(desktop.pressHotKey(HotKeyManager::copyId));
    QCoreApplication::processEvents();
    clock.advance(1s);
    QCoreApplication::processEvents();
    ASSERT_EQ(accessibility.calls.size(), 1);
    EXPECT_FALSE(accessibility.calls.first().preferFrontWindow);
    EXPECT_EQ(toast.shown, QStringList{"Copied — press ⌘V in Claude Code"});

    delegate.applicationWillTerminate();
    EXPECT_TRUE(desktop.input().hotKeys().isEmpty());
    EXPECT_EQ(desktop.input().monitorCount(), 0);
    EXPECT_FALSE(desktop.pressHotKey(HotKeyManager::copyId));
}

TEST_F(AppDelegateLifecycleTest, LinksUpdatesAndQuit) {
    bool quit = false;
    QObject::connect(&delegate, &AppDelegate::quitRequested, [&] { quit = true; });
    delegate.applicationDidFinishLaunching();
    choose("Documentation");
    choose("Send Feedback");
    EXPECT_EQ(openedURLs(), (QStringList{AppDelegate::website + "/vantrel/documentation/",
                                         AppDelegate::website + "/contact-us/"}));
    const int checks = desktop.updater().checkCount();
    choose("Check for Updates…");
    EXPECT_EQ(desktop.updater().checkCount(), checks + 1);
    choose("Settings…");
    EXPECT_EQ(windows, QStringList{"settings"});
    EXPECT_FALSE(quit);
    choose("Quit Vantrel");
    EXPECT_TRUE(quit);
}

} // namespace
