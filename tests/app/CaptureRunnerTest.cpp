// The capture runner on a simulated desktop with Mail in front and both permissions granted, its
// capture services faked.
#include "app/CaptureRunner.h"
#include "CaptureFakes.h"
#include "app/ClipCoordinator.h"
#include "app/PermissionFollowUp.h"
#include "app/cli/CaptureSession.h"
#include "app/cli/GivenRegionSelection.h"
#include "input/PointerTracker.h"
#include "input/ToastShowing.h"
#include "output/AgentPasteTargetSettings.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/VirtualClock.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/SystemPermissionsService.h"
#include "support/RunSync.h"
#include "support/WaitUntil.h"
#include "ui/StatusLine.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

const char* const runnerSceneJson = R"({"screens": [{"frame": [0, 0, 1440, 900], "scale": 2}],
    "mouse": [300, 640], "permissions": {"accessibility": true, "screenRecording": true},
    "apps": [{"pid": 501, "name": "Mail", "bundleId": "com.example.mail"}], "frontmost": 501})";

const QString runnerCopiedToast = "Copied — press ⌘V in Claude Code";
const QString runnerEmptyTreeToast = "Copied, but the AX tree is empty — press ⌃⌥C again";

class RunnerRecordingToast final : public ToastShowing {
  public:
    QStringList shown;
    void show(const QString& text) override { shown.append(text); }
};

class CaptureRunnerTest : public ::testing::Test {
  protected:
    CaptureRunnerTest() {
        QObject::connect(&statusLine, &StatusLine::changed,
                         [this] { statuses.append(statusLine.text()); });
    }

    // Runs a trigger to its end, moving the virtual clock on for its delays.
    std::optional<CaptureOutcome> perform(bool fromMenu, bool useRegion) {
        auto task = runner.performCopy(fromMenu, useRegion);
        clock.advance(1s);
        return runSync(std::move(task));
    }

    FakeAccessibilityCapture accessibility;
    FakeScreenCapture screen;
    FakeBundleWriter bundleWriter;
    FakePasteboardWriter pasteboard;
    GivenRegionSelection regionSelection{QRectF(100, 200, 40, 20)};
    RunnerRecordingToast toast;
    SimDesktop desktop{SceneLoader::fromJson(runnerSceneJson)};
    Platform platform = desktop.platform();
    MemoryUserDefaults defaults;
    NotificationCenter center;
    VirtualClock clock;
    SystemPermissionsService permissions{platform, center, clock};
    ClipCoordinator coordinator{{accessibility, screen, bundleWriter, pasteboard, defaults}};
    StatusLine statusLine{QString()};
    PointerTracker pointer{platform.screens, platform.mouseMonitor};
    PermissionFollowUp followUp{permissions, platform.accessibility, platform.screenCapture};
    CaptureRunner runner{{coordinator, defaults, clock, regionSelection, toast, statusLine, pointer,
                          followUp, platform.vocabulary}};
    QStringList statuses;
};

} // namespace

TEST_F(CaptureRunnerTest, TheFourTriggers) {
    const QString success = "Copied for Claude Code: Button \"Send\" · Inbox · 11 AX nodes";
    const QString capturing = "Capturing (Full capture (for agents))…";
    const QString drag = "Drag an area · release mouse to capture · Esc cancels";
    const QStringList window{capturing, success};
    const QStringList area{drag, capturing, success + " · region capture"};
    const QPointF centre(120, 210);
    const QPointF lastSeen(700, 50);
    using D = QList<std::chrono::milliseconds>;
    const struct {
        const char* name;
        void (CaptureRunner::*trigger)();
        D delays;
        std::optional<QPointF> point;
        bool preferFront;
        QStringList statuses;
    } cases[] = {
        {"hotkey window", &CaptureRunner::copyFromHotKey, D(), std::nullopt, false, window},
        {"hotkey area", &CaptureRunner::copyRegionFromHotKey, D{150ms}, centre, false, area},
        {"menu window", &CaptureRunner::copyNowFromMenu, D{200ms}, lastSeen, true, window},
        {"menu area", &CaptureRunner::copyRegionFromMenu, D{200ms, 150ms}, centre, false, area},
    };
    pointer.start();
    desktop.moveMouse(lastSeen);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        statuses.clear();
        accessibility.calls.clear();
        toast.shown.clear();
        const auto before = clock.requestedSleeps().size();

        // Each trigger starts its own run and returns at once; the run ends on the event loop.
        (runner.*c.trigger)();
        ASSERT_TRUE(waitUntil([&] {
            clock.advance(50ms);
            return statuses.size() >= c.statuses.size();
        }));
        EXPECT_EQ(clock.requestedSleeps().mid(before), c.delays);
        EXPECT_EQ(accessibility.calls, (QList<AccessibilityCall>{{c.point, c.preferFront}}));
        EXPECT_EQ(statuses, c.statuses);
        EXPECT_EQ(toast.shown, QStringList{runnerCopiedToast});
    }
}

TEST_F(CaptureRunnerTest, MenuCommandsWaitBeforeCapturing) {
    auto task = runner.performCopy(true, false);
    clock.advance(199ms);
    EXPECT_TRUE(accessibility.calls.isEmpty());
    clock.advance(1ms);
    EXPECT_EQ(accessibility.calls.size(), 1);
    EXPECT_TRUE(runSync(std::move(task)).has_value());
}

TEST_F(CaptureRunnerTest, ACancelledAreaCapturesNothing) {
    regionSelection = GivenRegionSelection(std::nullopt);
    EXPECT_FALSE(perform(false, true).has_value());
    EXPECT_EQ(statuses, (QStringList{"Drag an area · release mouse to capture · Esc cancels",
                                     "Capture cancelled."}));
    EXPECT_TRUE(accessibility.calls.isEmpty());
    EXPECT_TRUE(toast.shown.isEmpty());
    EXPECT_TRUE(pasteboard.writes.isEmpty());
}

// The empty-tree toast goes by the bundle's snapshot, never by the status line's wording; a
// window or application alone names its toolkit's fix where one helps.
TEST_F(CaptureRunnerTest, ToastText) {
    const auto words = PlatformVocabulary::macOS();
    AgentPasteTargetSettings::setTarget(defaults, center, AgentPasteTarget::cursor);
    const auto snapshot = [](int nodeCount, bool rootIsLeaf, QString role = "AXGroup",
                             QString toolkit = {}) {
        CapturedAccessibility record;
        record.nodeCount = nodeCount;
        record.rootIsLeaf = rootIsLeaf;
        record.rootRole = role;
        record.toolkit.toolkitName = toolkit;
        return record;
    };
    const QString copied = "Copied — press ⌘V in Cursor";
    const QString oneNode = "Copied for Cursor: Group · 1 AX nodes";
    const QString qtFix =
        "Copied, but Qt exposes no AX tree — restart it with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1";
    const struct {
        const char* name;
        CaptureOutcome outcome;
        QString toast;
    } cases[] = {
        {"root alone", CaptureOutcome::success(oneNode, snapshot(1, false)), runnerEmptyTreeToast},
        {"a button alone", CaptureOutcome::success(oneNode, snapshot(1, true)), copied},
        {"two nodes", CaptureOutcome::success(oneNode, snapshot(2, false)), copied},
        {"a Qt window alone",
         CaptureOutcome::success(oneNode, snapshot(1, false, "AXWindow", "Qt")), qtFix},
        {"a Qt application alone",
         CaptureOutcome::success(oneNode, snapshot(1, false, "AXApplication", "Qt")), qtFix},
        {"a Qt group alone", CaptureOutcome::success(oneNode, snapshot(1, false, "AXGroup", "Qt")),
         runnerEmptyTreeToast},
        {"a Qt window with a child",
         CaptureOutcome::success(oneNode, snapshot(2, false, "AXWindow", "Qt")), copied},
        {"a GTK window alone",
         CaptureOutcome::success(oneNode, snapshot(1, false, "AXWindow", "GTK")),
         runnerEmptyTreeToast},
        {"no snapshot", CaptureOutcome::success(oneNode), copied},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CaptureRunner::toastText(c.outcome, defaults, words), c.toast) << c.name;
}

// A one-node snapshot gets the empty-tree toast but the normal status line; a failure becomes
// the status line, opens its pane and shows no toast.
TEST_F(CaptureRunnerTest, WhatARunReports) {
    accessibility.result.nodeCount = 1;
    perform(false, false);
    EXPECT_EQ(statusLine.text(), "Copied for Claude Code: Button \"Send\" · Inbox · 1 AX nodes");
    EXPECT_EQ(toast.shown, QStringList{runnerEmptyTreeToast});

    toast.shown.clear();
    pasteboard.writes.clear();
    screen.failure = ScreenCaptureError::permissionDenied("Vantrel", PlatformVocabulary::macOS());
    perform(false, false);
    EXPECT_EQ(statusLine.text(),
              "Vantrel needs Screen Recording access. Enable it in System Settings → Privacy & "
              "Security → Screen Recording.");
    EXPECT_TRUE(toast.shown.isEmpty());
    EXPECT_TRUE(pasteboard.writes.isEmpty());
    EXPECT_EQ(desktop.openedURLs(),
              QList<QUrl>{QUrl("x-apple.systempreferences:com.apple.settings.PrivacySecurity."
                               "extension?Privacy_ScreenCapture")});
}

// `vantrel capture --front-window --at X,Y` moves the pointer after the session starts: the
// capture must follow it there.
TEST_F(CaptureRunnerTest, ACaptureSessionFollowsThePointerMovedAfterItStarts) {
    CaptureSession session(platform, defaults, center, clock, std::nullopt);
    desktop.moveMouse(QPointF(42, 24));
    QCoreApplication::processEvents();
    EXPECT_EQ(session.pointer().lastLocation(), QPointF(42, 24));
}
