// The tray app's pieces wired by the delegate, on a simulated desktop with Mail in front and both
// permissions granted, the capture services faked: start-up, shutdown, and what reaches what.
#include "app/AppDelegate.h"
#include "CaptureFakes.h"
#include "app/ClipCoordinator.h"
#include "app/PermissionFollowUp.h"
#include "app/cli/GivenRegionSelection.h"
#include "input/ToastShowing.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/VirtualClock.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/SystemPermissionsService.h"
#include "support/WaitUntil.h"
#include "ui/OnboardingCoordinator.h"
#include "ui/OnboardingViewModel.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

const char* const delegateSceneJson = R"({"screens": [{"frame": [0, 0, 1440, 900], "scale": 2}],
    "mouse": [300, 640], "permissions": {"accessibility": true, "screenRecording": true},
    "apps": [{"pid": 501, "name": "Mail", "bundleId": "com.example.mail"}], "frontmost": 501})";

QString delegateGrantLine(bool accessibility, bool screenRecording) {
    return QString("Accessibility %1, Screen Recording %2. Grant missing access in System "
                   "Settings — Vantrel picks it up on its own.")
        .arg(accessibility ? "✓" : "✗", screenRecording ? "✓" : "✗");
}

class DelegateRecordingToast final : public ToastShowing {
  public:
    QStringList shown;
    void show(const QString& text) override { shown.append(text); }
};

class AppDelegateTest : public ::testing::Test {
  protected:
    AppDelegateTest() {
        QObject::connect(&delegate.statusMenu(), &StatusMenuPresenter::statusMenuChanged,
                         [this] { menus.append(delegate.statusMenu().statusMenu()); });
        QObject::connect(&delegate.setupAssistant(), &SetupAssistantFlow::windowRequested,
                         [this] { windows.append("setup"); });
    }

    QString firstTitle() { return delegate.statusMenu().statusMenu().items.first().title; }
    void choose(const QString& title) {
        for (const StatusMenuItem& item : delegate.statusMenu().statusMenu().items) {
            if (item.title == title)
                return delegate.statusMenu().perform(item);
        }
        FAIL() << title.toStdString();
    }

    FakeAccessibilityCapture accessibility;
    FakeScreenCapture screen;
    FakeBundleWriter bundleWriter;
    FakePasteboardWriter pasteboard;
    GivenRegionSelection regionSelection{std::nullopt}; // cancelled
    DelegateRecordingToast toast;
    SimDesktop desktop{SceneLoader::fromJson(delegateSceneJson)};
    Platform platform = desktop.platform();
    MemoryUserDefaults defaults;
    NotificationCenter center;
    VirtualClock clock;
    SystemPermissionsService permissions{platform, center, clock};
    ClipCoordinator coordinator{{accessibility, screen, bundleWriter, pasteboard, defaults}};
    PermissionFollowUp followUp{permissions, platform.accessibility, platform.screenCapture};
    AppDelegate delegate{{platform, coordinator, permissions, followUp, defaults, center, clock,
                          regionSelection, toast}};
    QList<StatusMenu> menus;
    QStringList windows;
};

} // namespace

TEST_F(AppDelegateTest, StartingWithBothPermissionsEndsReadyWithoutWarnings) {
    EXPECT_EQ(delegate.statusLine().text(), "Ready. Set mode in menu, then press ⌃⌥C.");
    delegate.applicationDidFinishLaunching();
    // The first menu comes before the first poll; the poll's news rebuilds it.
    ASSERT_GE(menus.size(), 2);
    EXPECT_EQ(menus.first().items.first().title, "⚠︎ Accessibility not granted");
    EXPECT_EQ(firstTitle(), "Capture Mode");
    EXPECT_EQ(delegate.statusLine().text(), "Ready. Accessibility ✓, Screen Recording ✓. Mode: "
                                            "Full capture (for agents). Press ⌃⌥C.");
    EXPECT_TRUE(defaults.boolValue(SetupAssistantFlow::onboardingCompletedKey));
    EXPECT_TRUE(windows.isEmpty());
    EXPECT_EQ(delegate.statusMenu().toolTip(),
              "Vantrel — ⌃⌥C window · ⌃⌥R area · Paste to Claude Code");
    EXPECT_EQ(desktop.input().hotKeys().size(), 2);
    EXPECT_EQ(desktop.input().monitorCount(), 1);
    EXPECT_EQ(desktop.updater().startCount(), 1);
}

// Finishing the assistant it opened puts the permission line back.
TEST_F(AppDelegateTest, AMissingPermissionOpensTheSetupEvenWhenItWasCompletedBefore) {
    defaults.setBool(SetupAssistantFlow::onboardingCompletedKey, true);
    desktop.setAccessibilityTrusted(false);
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(windows, QStringList{"setup"});
    EXPECT_EQ(firstTitle(), "⚠︎ Accessibility not granted");
    EXPECT_EQ(delegate.statusLine().text(), delegateGrantLine(false, true));

    // The grant is seen by the next poll, and the warnings go.
    desktop.setAccessibilityTrusted(true);
    clock.advance(1s);
    EXPECT_EQ(firstTitle(), "Capture Mode");

    delegate.statusLine().set("something else");
    desktop.setAccessibilityTrusted(false);
    for ([[maybe_unused]] const auto step : OnboardingCoordinator::allSteps)
        delegate.setupAssistant().assistant()->advance();
    EXPECT_EQ(delegate.statusLine().text(), delegateGrantLine(false, true));
}

TEST_F(AppDelegateTest, HotKeysReachTheCaptureAndShutdownLetsGo) {
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(desktop.pressHotKey(HotKeyManager::copyId));
    QCoreApplication::processEvents();
    clock.advance(1s);
    QCoreApplication::processEvents();
    EXPECT_EQ(accessibility.calls, (QList<AccessibilityCall>{{std::nullopt, false}}));
    EXPECT_EQ(toast.shown, QStringList{"Copied — press ⌘V in Claude Code"});

    delegate.applicationWillTerminate();
    EXPECT_TRUE(desktop.input().hotKeys().isEmpty());
    EXPECT_EQ(desktop.input().monitorCount(), 0);
    EXPECT_FALSE(desktop.pressHotKey(HotKeyManager::copyId));
}

// The menu's capture commands reach the runner as menu commands (front window, after the menu
// closed), its assistant entry the setup assistant.
TEST_F(AppDelegateTest, TheMenuReachesTheRunnerAndTheAssistant) {
    delegate.applicationDidFinishLaunching();
    choose("Copy Window (⌃⌥C)");
    ASSERT_TRUE(waitUntil([&] {
        clock.advance(50ms);
        return !toast.shown.isEmpty();
    }));
    EXPECT_EQ(accessibility.calls, (QList<AccessibilityCall>{{QPointF(300, 640), true}}));
    EXPECT_EQ(clock.requestedSleeps().last(), 200ms);

    choose("Copy Area (⌃⌥R)");
    ASSERT_TRUE(waitUntil([&] {
        clock.advance(50ms);
        return delegate.statusLine().text() == "Capture cancelled.";
    }));
    EXPECT_EQ(accessibility.calls.size(), 1);

    choose("Setup Assistant…");
    EXPECT_EQ(windows, QStringList{"setup"});
    EXPECT_TRUE(delegate.setupAssistant().assistant());
}
