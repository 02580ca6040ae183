#include "AppDelegateFixture.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/CaptureModeSettings.h"
#include "platform/StandardLocations.h"
#include "support/RunSync.h"
#include "ui/OnboardingCoordinator.h"
#include "ui/OnboardingViewModel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

// Stands in for the view: makes one window per request and logs what it is asked to do.
class FakeAssistantWindows final : public QObject, public OnboardingWindowControl {
  public:
    explicit FakeAssistantWindows(AppDelegate& delegate) {
        QObject::connect(&delegate, &AppDelegate::onboardingRequested,
                         [this](OnboardingViewModel* assistant) {
                             ++requests;
                             assistant->coordinator().setWindow(this);
                         });
        QObject::connect(&delegate, &AppDelegate::onboardingClosed, [this] { ++closes; });
    }
    void setFloating(bool floating) override { log.append(floating ? "floating" : "normal"); }
    void bringToFront() override { log.append("front"); }

    int requests = 0;
    int closes = 0;
    QStringList log;
};

class AppDelegateTest : public AppDelegateFixture {
  protected:
    AppDelegateTest() {
        QObject::connect(&delegate, &AppDelegate::lastStatusChanged,
                         [this] { statuses.append(delegate.lastStatus()); });
    }

    // Runs a trigger to its end, moving the virtual clock on for its delays.
    std::optional<CaptureOutcome> perform(bool fromMenu, bool useRegion) {
        auto task = delegate.performCopy(fromMenu, useRegion);
        clock.advance(1s);
        return runSync(std::move(task));
    }

    QStringList statuses;
};

} // namespace

TEST_F(AppDelegateTest, StartsReady) {
    EXPECT_EQ(delegate.lastStatus(), "Ready. Set mode in menu, then press ⌃⌥C.");
    EXPECT_EQ(delegate.lastCaptureMouseLocation(), QPointF(300, 640));
}

TEST_F(AppDelegateTest, TheFourTriggers) {
    const QString success = "Copied for Claude Code: Button \"Send\" · Inbox · 11 AX nodes";
    const QString capturing = "Capturing (Full capture (for agents))…";
    const QString drag = "Drag an area · release mouse to capture · Esc cancels";
    const struct {
        const char* name;
        void (AppDelegate::*trigger)();
        QList<std::chrono::milliseconds> delays;
        std::optional<QPointF> point;
        bool preferFront;
        QStringList statuses;
    } cases[] = {
        {"hotkey window",
         &AppDelegate::copyFromHotKey,
         {},
         std::nullopt,
         false,
         {capturing, success}},
        {"hotkey area",
         &AppDelegate::copyRegionFromHotKey,
         {150ms},
         QPointF(120, 210),
         false,
         {drag, capturing, success + " · region capture"}},
        {"menu window",
         &AppDelegate::copyNowFromMenu,
         {200ms},
         QPointF(700, 50),
         true,
         {capturing, success}},
        {"menu area",
         &AppDelegate::copyRegionFromMenu,
         {200ms, 150ms},
         QPointF(120, 210),
         false,
         {drag, capturing, success + " · region capture"}},
    };
    delegate.startMouseTracking();
    desktop.moveMouse(QPointF(700, 50));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        statuses.clear();
        accessibility.calls.clear();
        toast.shown.clear();
        const auto before = clock.requestedSleeps().size();

        // Each trigger starts its own run and returns at once; the run ends on the event loop.
        (delegate.*c.trigger)();
        const QDeadlineTimer deadline(10s);
        while (statuses.size() < c.statuses.size() && !deadline.hasExpired()) {
            clock.advance(50ms);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(clock.requestedSleeps().mid(before), c.delays);
        ASSERT_EQ(accessibility.calls.size(), 1);
        EXPECT_EQ(accessibility.calls[0].point, c.point);
        EXPECT_EQ(accessibility.calls[0].preferFrontWindow, c.preferFront);
        EXPECT_EQ(statuses, c.statuses);
        EXPECT_EQ(toast.shown, QStringList{"Copied — press ⌘V in Claude Code"});
    }
}

TEST_F(AppDelegateTest, MenuCommandsWaitBeforeCapturing) {
    auto task = delegate.performCopy(true, false);
    clock.advance(199ms);
    EXPECT_TRUE(accessibility.calls.isEmpty());
    clock.advance(1ms);
    EXPECT_EQ(accessibility.calls.size(), 1);
    EXPECT_TRUE(runSync(std::move(task)).has_value());
}

TEST_F(AppDelegateTest, ACancelledAreaCapturesNothing) {
    regionSelection.answer = std::nullopt;
    EXPECT_FALSE(perform(false, true).has_value());
    EXPECT_EQ(statuses, (QStringList{"Drag an area · release mouse to capture · Esc cancels",
                                     "Capture cancelled."}));
    EXPECT_TRUE(accessibility.calls.isEmpty());
    EXPECT_TRUE(toast.shown.isEmpty());
    EXPECT_TRUE(pasteboard.writes.isEmpty());
}

TEST_F(AppDelegateTest, ToastText) {
    NotificationCenter settingsCenter;
    const struct {
        const char* statusLine;
        AgentPasteTarget agent;
        const char* toast;
    } cases[] = {
        {"Copied for Cursor: Window \"Notes\" · Notes · 1 AX nodes", AgentPasteTarget::cursor,
         "Copied, but the AX tree is empty — press ⌃⌥C again"},
        {"Copied for Cursor: Group · 1 AX nodes · region capture", AgentPasteTarget::cursor,
         "Copied, but the AX tree is empty — press ⌃⌥C again"},
        {"Copied for Cursor: Window \"Notes\" · Notes · 11 AX nodes", AgentPasteTarget::cursor,
         "Copied — press ⌘V in Cursor"},
        {"Copied for Codex: Window \"Notes\" · Notes · 21 AX nodes", AgentPasteTarget::codex,
         "Copied — press ⌘V in Codex"},
        {"Copied screenshot. Paste once for the image.", AgentPasteTarget::claudeCode,
         "Copied — press ⌘V in Claude Code"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statusLine);
        AgentPasteTargetSettings::setTarget(defaults, settingsCenter, c.agent);
        EXPECT_EQ(AppDelegate::toastText(c.statusLine, defaults, PlatformVocabulary::macOS()),
                  QString(c.toast));
    }
}

TEST_F(AppDelegateTest, AOneNodeSnapshotGetsTheEmptyTreeToastButTheNormalStatus) {
    accessibility.result.nodeCount = 1;
    perform(false, false);
    EXPECT_EQ(delegate.lastStatus(),
              "Copied for Claude Code: Button \"Send\" · Inbox · 1 AX nodes");
    EXPECT_EQ(toast.shown, QStringList{"Copied, but the AX tree is empty — press ⌃⌥C again"});
}

TEST_F(AppDelegateTest, AFailureBecomesTheStatusLineWithoutAToast) {
    screen.failure = ScreenCaptureError::permissionDenied("Vantrel", PlatformVocabulary::macOS());
    perform(false, false);
    EXPECT_EQ(delegate.lastStatus(),
              "Vantrel needs Screen Recording access. Enable it in System Settings → Privacy & "
              "Security → Screen Recording.");
    EXPECT_TRUE(toast.shown.isEmpty());
    EXPECT_TRUE(pasteboard.writes.isEmpty());
    EXPECT_EQ(openedURLs(), QStringList{"x-apple.systempreferences:com.apple.settings."
                                        "PrivacySecurity.extension?Privacy_ScreenCapture"});
}

TEST_F(AppDelegateTest, PermissionFollowUp) {
    const QString accessibilityPane =
        "x-apple.systempreferences:com.apple.settings.PrivacySecurity.extension?Privacy_"
        "Accessibility";
    const QString screenPane =
        "x-apple.systempreferences:com.apple.settings.PrivacySecurity.extension?Privacy_"
        "ScreenCapture";
    const auto vocabulary = PlatformVocabulary::macOS();
    const CaptureError axDenied = AccessibilityCaptureError::permissionDenied("V", vocabulary);
    const CaptureError screenDenied = ScreenCaptureError::permissionDenied("V", vocabulary);
    const CaptureError other = ScreenCaptureError::captureFailed();
    const struct {
        const char* name;
        CaptureError error;
        CaptureMode mode;
        bool trusted;
        bool stateRecordsScreen; // what the monitor last saw
        bool preflight;          // what the platform answers now
        QStringList opened;
    } cases[] = {
        {"accessibility denied",
         axDenied,
         CaptureMode::screenshot,
         true,
         true,
         true,
         {accessibilityPane}},
        {"screen recording denied",
         screenDenied,
         CaptureMode::tree,
         true,
         true,
         true,
         {screenPane}},
        {"tree, untrusted", other, CaptureMode::tree, false, true, true, {accessibilityPane}},
        {"tree, trusted", other, CaptureMode::tree, true, false, false, {}},
        {"bundle, untrusted", other, CaptureMode::bundle, false, false, false, {accessibilityPane}},
        {"bundle, trusted, recording granted", other, CaptureMode::bundle, true, true, true, {}},
        {"bundle, trusted, preflight passes", other, CaptureMode::bundle, true, false, true, {}},
        {"bundle, trusted, recording missing",
         other,
         CaptureMode::bundle,
         true,
         false,
         false,
         {screenPane}},
        {"screenshot, untrusted, recording missing",
         other,
         CaptureMode::screenshot,
         false,
         false,
         false,
         {screenPane}},
        {"screenshot, recording granted", other, CaptureMode::screenshot, false, true, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimDesktop sim(SceneLoader::fromJson(delegateSceneJson));
        Platform simPlatform = sim.platform();
        VirtualClock simClock;
        SystemPermissionsService simPermissions(simPlatform, center, simClock);
        sim.setScreenRecordingGranted(c.stateRecordsScreen);
        simPermissions.startMonitoring(); // the first poll runs at once
        sim.setScreenRecordingGranted(c.preflight);
        sim.setAccessibilityTrusted(c.trusted);
        AppDelegate subject{{simPlatform, coordinator, defaults, center, simClock, regionSelection,
                             toast, simPermissions}};

        subject.openSettingsIfPermissionDenied(c.error, c.mode);
        QStringList opened;
        for (const QUrl& url : sim.openedURLs())
            opened.append(url.toString());
        EXPECT_EQ(opened, c.opened);
    }
}

TEST_F(AppDelegateTest, RemembersTheCursorOfTheLastGlobalMouseEvent) {
    int changes = 0;
    QObject::connect(&delegate, &AppDelegate::lastCaptureMouseLocationChanged, [&] { ++changes; });
    delegate.startMouseTracking(); // same position as at creation: no change to announce
    EXPECT_EQ(changes, 0);
    desktop.moveMouse(QPointF(10, 20));
    EXPECT_EQ(delegate.lastCaptureMouseLocation(), QPointF(10, 20));
    desktop.moveMouse(QPointF(10, 20));
    EXPECT_EQ(changes, 1);
}

TEST_F(AppDelegateTest, OpenLatestBundle) {
    delegate.openLatestBundle();
    EXPECT_EQ(delegate.lastStatus(), "No bundle yet. Set mode to Bundle and press ⌃⌥C.");
    EXPECT_TRUE(openedURLs().isEmpty());

    const QString root = StandardLocations::cachesDirectory() + "/Vantrel";
    ASSERT_TRUE(QDir().mkpath(root + "/captures/one"));
    ASSERT_TRUE(QFile::link(root + "/captures/one", root + "/latest"));
    statuses.clear();
    delegate.openLatestBundle();
    EXPECT_TRUE(statuses.isEmpty());
    EXPECT_EQ(openedURLs(), QStringList{QUrl::fromLocalFile(root + "/latest/").toString()});
    QFile::remove(root + "/latest");
    QDir(root + "/captures").removeRecursively();
}

TEST_F(AppDelegateTest, TheSetupAssistantOpensOnceAndComesBackAtThePageLeft) {
    FakeAssistantWindows windows(delegate);
    delegate.showOnboarding();
    OnboardingCoordinator* first = delegate.onboarding();
    ASSERT_TRUE(first);
    EXPECT_EQ(windows.requests, 1);
    EXPECT_EQ(windows.log, QStringList{"front"});

    // Closed with its close button: nothing reaches the delegate, and the next opening raises
    // the same window at the same page.
    first->advance();
    delegate.showOnboarding();
    EXPECT_EQ(delegate.onboarding(), first);
    EXPECT_EQ(first->step(), OnboardingCoordinator::Step::accessibility);
    EXPECT_EQ(windows.requests, 1);
    EXPECT_EQ(windows.log, (QStringList{"front", "front"}));
}

TEST_F(AppDelegateTest, FinishingTheSetupAssistant) {
    const struct {
        const char* name;
        bool screenRecording;
        bool askedBefore; // Screen Recording was already requested in this run
        int requests;     // how often the system was asked for Screen Recording in all
        const char* status;
    } cases[] = {
        {"granted", true, false, 0,
         "Accessibility ✗, Screen Recording ✓. Grant missing access in System Settings — "
         "Vantrel picks it up on its own."},
        {"missing", false, false, 1,
         "Accessibility ✗, Screen Recording ✗. Grant missing access in System Settings — "
         "Vantrel picks it up on its own."},
        {"missing, asked before", false, true, 1,
         "Accessibility ✗, Screen Recording ✗. Grant missing access in System Settings — "
         "Vantrel picks it up on its own."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimDesktop sim(SceneLoader::fromJson(delegateSceneJson));
        sim.setAccessibilityTrusted(false);
        sim.setScreenRecordingGranted(c.screenRecording);
        Platform simPlatform = sim.platform();
        MemoryUserDefaults simDefaults;
        SystemPermissionsService simPermissions(simPlatform, center, clock);
        AppDelegate subject{{simPlatform, coordinator, simDefaults, center, clock, regionSelection,
                             toast, simPermissions}};
        FakeAssistantWindows windows(subject);
        if (c.askedBefore)
            simPermissions.requestScreenRecordingIfNeeded();

        // Twice in one run: the second assistant asks the system for nothing more.
        for (int run = 1; run <= 2; ++run) {
            subject.showOnboarding();
            const QPointer<OnboardingCoordinator> assistant = subject.onboarding();
            ASSERT_TRUE(assistant);
            EXPECT_EQ(assistant->step(), OnboardingCoordinator::Step::welcome);
            for (const auto step : OnboardingCoordinator::allSteps) {
                Q_UNUSED(step);
                assistant->advance();
            }
            EXPECT_TRUE(simDefaults.boolValue(AppDelegate::onboardingCompletedKey));
            EXPECT_EQ(windows.closes, run);
            EXPECT_FALSE(subject.onboarding());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_FALSE(assistant);
            EXPECT_EQ(sim.screenCapture().accessRequestCount(), c.requests);
            EXPECT_EQ(sim.accessibility().trustPromptCount(), 1);
            EXPECT_EQ(subject.lastStatus(), c.status);
        }
        EXPECT_EQ(windows.requests, 2);
    }
}
