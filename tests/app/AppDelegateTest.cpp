// The application on a simulated desktop with Mail in front and both permissions granted, its
// capture services faked.
#include "app/AppDelegate.h"
#include "CaptureFakes.h"
#include "app/ClipCoordinator.h"
#include "app/cli/CaptureOptions.h"
#include "app/cli/CaptureSession.h"
#include "app/cli/GivenRegionSelection.h"
#include "input/ToastShowing.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/CaptureModeSettings.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/StandardLocations.h"
#include "platform/VirtualClock.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/SystemPermissionsService.h"
#include "support/RunSync.h"
#include "support/WaitUntil.h"
#include "ui/OnboardingCoordinator.h"
#include "ui/OnboardingViewModel.h"
#include "ui/widgets/TrayIcon.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

const char* const sceneJson = R"({"screens": [{"frame": [0, 0, 1440, 900], "scale": 2}],
    "mouse": [300, 640], "permissions": {"accessibility": true, "screenRecording": true},
    "apps": [{"pid": 501, "name": "Mail", "bundleId": "com.example.mail"}], "frontmost": 501})";

const QString privacy = "x-apple.systempreferences:com.apple.settings.PrivacySecurity.extension";
const QString axPane = privacy + "?Privacy_Accessibility";
const QString screenPane = privacy + "?Privacy_ScreenCapture";
const QString copiedToast = "Copied — press ⌘V in Claude Code";
const QString emptyTreeToast = "Copied, but the AX tree is empty — press ⌃⌥C again";

QString grantLine(bool accessibility, bool screenRecording) {
    return QString("Accessibility %1, Screen Recording %2. Grant missing access in System "
                   "Settings — Vantrel picks it up on its own.")
        .arg(accessibility ? "✓" : "✗", screenRecording ? "✓" : "✗");
}

QStringList urls(const SimDesktop& desktop) {
    QStringList opened;
    for (const QUrl& url : desktop.openedURLs())
        opened.append(url.toString());
    return opened;
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

class RecordingToast final : public ToastShowing {
  public:
    QStringList shown;
    void show(const QString& text) override { shown.append(text); }
};

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

struct Fakes {
    FakeAccessibilityCapture accessibility;
    FakeScreenCapture screen;
    FakeBundleWriter bundleWriter;
    FakePasteboardWriter pasteboard;
    GivenRegionSelection regionSelection{QRectF(100, 200, 40, 20)};
    RecordingToast toast;
};

// A delegate on a desktop of its own; cases that vary the permissions make one each.
struct Subject {
    explicit Subject(Fakes& f)
        : coordinator{{f.accessibility, f.screen, f.bundleWriter, f.pasteboard, defaults}},
          delegate{{platform, coordinator, defaults, center, clock, f.regionSelection, f.toast,
                    permissions}} {}

    SimDesktop desktop{SceneLoader::fromJson(sceneJson)};
    Platform platform = desktop.platform();
    MemoryUserDefaults defaults;
    NotificationCenter center;
    VirtualClock clock;
    SystemPermissionsService permissions{platform, center, clock};
    ClipCoordinator coordinator;
    AppDelegate delegate;
};

class AppDelegateTest : public ::testing::Test, protected Fakes, protected Subject {
  protected:
    AppDelegateTest() : Subject(static_cast<Fakes&>(*this)) {
        QObject::connect(&delegate, &AppDelegate::lastStatusChanged,
                         [this] { statuses.append(delegate.lastStatus()); });
        QObject::connect(&delegate, &AppDelegate::statusMenuChanged,
                         [this] { menus.append(delegate.statusMenu()); });
        QObject::connect(&delegate, &AppDelegate::onboardingRequested,
                         [this] { windows.append("setup"); });
        QObject::connect(&delegate, &AppDelegate::settingsRequested,
                         [this] { windows.append("settings"); });
    }

    // Runs a trigger to its end, moving the virtual clock on for its delays.
    std::optional<CaptureOutcome> perform(bool fromMenu, bool useRegion) {
        auto task = delegate.performCopy(fromMenu, useRegion);
        clock.advance(1s);
        return runSync(std::move(task));
    }

    const StatusMenuItem* item(const QString& title) {
        return find(delegate.statusMenu().items, title);
    }
    void choose(const QString& title) {
        ASSERT_TRUE(item(title)) << title.toStdString();
        delegate.perform(*item(title));
    }
    QString firstTitle() { return delegate.statusMenu().items.first().title; }
    Fakes& fakes() { return *this; }

    QStringList statuses;
    QList<StatusMenu> menus;
    QStringList windows;
};

} // namespace

TEST_F(AppDelegateTest, TheFourTriggers) {
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
        void (AppDelegate::*trigger)();
        D delays;
        std::optional<QPointF> point;
        bool preferFront;
        QStringList statuses;
    } cases[] = {
        {"hotkey window", &AppDelegate::copyFromHotKey, D(), std::nullopt, false, window},
        {"hotkey area", &AppDelegate::copyRegionFromHotKey, D{150ms}, centre, false, area},
        {"menu window", &AppDelegate::copyNowFromMenu, D{200ms}, lastSeen, true, window},
        {"menu area", &AppDelegate::copyRegionFromMenu, D{200ms, 150ms}, centre, false, area},
    };
    EXPECT_EQ(delegate.lastStatus(), "Ready. Set mode in menu, then press ⌃⌥C.");
    delegate.startMouseTracking();
    desktop.moveMouse(lastSeen);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        statuses.clear();
        accessibility.calls.clear();
        toast.shown.clear();
        const auto before = clock.requestedSleeps().size();

        // Each trigger starts its own run and returns at once; the run ends on the event loop.
        (delegate.*c.trigger)();
        ASSERT_TRUE(waitUntil([&] {
            clock.advance(50ms);
            return statuses.size() >= c.statuses.size();
        }));
        EXPECT_EQ(clock.requestedSleeps().mid(before), c.delays);
        EXPECT_EQ(accessibility.calls, (QList<AccessibilityCall>{{c.point, c.preferFront}}));
        EXPECT_EQ(statuses, c.statuses);
        EXPECT_EQ(toast.shown, QStringList{copiedToast});
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
TEST_F(AppDelegateTest, ToastText) {
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
    const struct {
        const char* name;
        CaptureOutcome outcome;
        QString toast;
    } cases[] = {
        {"root alone", CaptureOutcome::success(oneNode, snapshot(1, false)), emptyTreeToast},
        {"a button alone", CaptureOutcome::success(oneNode, snapshot(1, true)), copied},
        {"two nodes", CaptureOutcome::success(oneNode, snapshot(2, false)), copied},
        {"a Qt window alone",
         CaptureOutcome::success(oneNode, snapshot(1, false, "AXWindow", "Qt")),
         "Copied, but Qt exposes no AX tree — restart it with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"},
        {"a Qt application alone",
         CaptureOutcome::success(oneNode, snapshot(1, false, "AXApplication", "Qt")),
         "Copied, but Qt exposes no AX tree — restart it with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"},
        {"a Qt group alone", CaptureOutcome::success(oneNode, snapshot(1, false, "AXGroup", "Qt")),
         emptyTreeToast},
        {"a Qt window with a child",
         CaptureOutcome::success(oneNode, snapshot(2, false, "AXWindow", "Qt")), copied},
        {"a GTK window alone",
         CaptureOutcome::success(oneNode, snapshot(1, false, "AXWindow", "GTK")), emptyTreeToast},
        {"no snapshot", CaptureOutcome::success(oneNode), copied},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AppDelegate::toastText(c.outcome, defaults, words), c.toast) << c.name;
}

// A one-node snapshot gets the empty-tree toast but the normal status line; a failure becomes
// the status line, opens its pane and shows no toast.
TEST_F(AppDelegateTest, WhatARunReports) {
    accessibility.result.nodeCount = 1;
    perform(false, false);
    EXPECT_EQ(delegate.lastStatus(),
              "Copied for Claude Code: Button \"Send\" · Inbox · 1 AX nodes");
    EXPECT_EQ(toast.shown, QStringList{emptyTreeToast});

    toast.shown.clear();
    pasteboard.writes.clear();
    screen.failure = ScreenCaptureError::permissionDenied("Vantrel", PlatformVocabulary::macOS());
    perform(false, false);
    EXPECT_EQ(delegate.lastStatus(),
              "Vantrel needs Screen Recording access. Enable it in System Settings → Privacy & "
              "Security → Screen Recording.");
    EXPECT_TRUE(toast.shown.isEmpty());
    EXPECT_TRUE(pasteboard.writes.isEmpty());
    EXPECT_EQ(urls(desktop), QStringList{screenPane});
}

TEST_F(AppDelegateTest, PermissionFollowUp) {
    const auto words = PlatformVocabulary::macOS();
    const CaptureError axDenied = AccessibilityCaptureError::permissionDenied("V", words);
    const CaptureError screenDenied = ScreenCaptureError::permissionDenied("V", words);
    const CaptureError other = ScreenCaptureError::captureFailed();
    using enum CaptureMode;
    const struct {
        const char* name;
        CaptureError error;
        CaptureMode mode;
        bool trusted;
        bool monitorSawScreen; // what the monitor last saw
        bool preflight;        // what the platform answers now
        QStringList opened;
    } cases[] = {
        {"accessibility denied", axDenied, screenshot, true, true, true, {axPane}},
        {"screen recording denied", screenDenied, tree, true, true, true, {screenPane}},
        {"tree, untrusted", other, tree, false, true, true, {axPane}},
        {"tree, trusted", other, tree, true, false, false, {}},
        {"bundle, untrusted", other, bundle, false, false, false, {axPane}},
        {"bundle, trusted, recording granted", other, bundle, true, true, true, {}},
        {"bundle, trusted, preflight passes", other, bundle, true, false, true, {}},
        {"bundle, trusted, recording missing", other, bundle, true, false, false, {screenPane}},
        {"screenshot, untrusted, missing", other, screenshot, false, false, false, {screenPane}},
        {"screenshot, recording granted", other, screenshot, false, true, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Subject s(fakes());
        s.desktop.setScreenRecordingGranted(c.monitorSawScreen);
        s.permissions.startMonitoring(); // the first poll runs at once
        s.desktop.setScreenRecordingGranted(c.preflight);
        s.desktop.setAccessibilityTrusted(c.trusted);
        s.delegate.openSettingsIfPermissionDenied(c.error, c.mode);
        EXPECT_EQ(urls(s.desktop), c.opened);
    }
}

// Menu commands capture where the pointer last was outside the menu: where it is when tracking
// starts, then wherever a global mouse event leaves it.
TEST_F(AppDelegateTest, RemembersTheCursorOfTheLastGlobalMouseEvent) {
    int changes = 0;
    QObject::connect(&delegate, &AppDelegate::lastCaptureMouseLocationChanged, [&] { ++changes; });
    EXPECT_EQ(delegate.lastCaptureMouseLocation(), QPointF(300, 640));
    desktop.moveMouse(QPointF(5, 6)); // nothing listens yet
    delegate.startMouseTracking();
    EXPECT_EQ(delegate.lastCaptureMouseLocation(), QPointF(5, 6));
    desktop.moveMouse(QPointF(10, 20));
    EXPECT_EQ(delegate.lastCaptureMouseLocation(), QPointF(10, 20));
    desktop.moveMouse(QPointF(10, 20));
    EXPECT_EQ(changes, 2);
}

TEST_F(AppDelegateTest, OpenLatestBundle) {
    const QString root = StandardLocations::cachesDirectory() + "/Vantrel";
    QDir(root).removeRecursively(); // what the tray tests captured in this process's home
    delegate.openLatestBundle();
    EXPECT_EQ(delegate.lastStatus(), "No bundle yet. Set mode to Bundle and press ⌃⌥C.");
    EXPECT_TRUE(urls(desktop).isEmpty());

    ASSERT_TRUE(QDir().mkpath(root + "/captures/one"));
    ASSERT_TRUE(QFile::link(root + "/captures/one", root + "/latest"));
    statuses.clear();
    delegate.openLatestBundle();
    EXPECT_TRUE(statuses.isEmpty());
    EXPECT_EQ(urls(desktop), QStringList{QUrl::fromLocalFile(root + "/latest/").toString()});
    QDir(root).removeRecursively();
}

TEST_F(AppDelegateTest, TheSetupAssistantOpensOnceAndComesBackAtThePageLeft) {
    FakeAssistantWindows assistantWindows(delegate);
    delegate.showOnboarding();
    OnboardingCoordinator* first = delegate.onboarding();
    ASSERT_TRUE(first);
    EXPECT_EQ(assistantWindows.requests, 1);
    EXPECT_EQ(assistantWindows.log, QStringList{"front"});

    // Closed with its close button: nothing reaches the delegate, and the next opening raises
    // the same window at the same page.
    first->advance();
    delegate.showOnboarding();
    EXPECT_EQ(delegate.onboarding(), first);
    EXPECT_EQ(first->step(), OnboardingCoordinator::Step::accessibility);
    EXPECT_EQ(assistantWindows.requests, 1);
    EXPECT_EQ(assistantWindows.log, (QStringList{"front", "front"}));
}

TEST_F(AppDelegateTest, FinishingTheSetupAssistant) {
    const struct {
        const char* name;
        bool screenRecording;
        bool askedBefore; // Screen Recording was already requested in this run
        int requests;     // how often the system was asked for Screen Recording in all
    } cases[] = {{"granted", true, false, 0},
                 {"missing", false, false, 1},
                 {"missing, asked before", false, true, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Subject s(fakes());
        s.desktop.setAccessibilityTrusted(false);
        s.desktop.setScreenRecordingGranted(c.screenRecording);
        FakeAssistantWindows assistantWindows(s.delegate);
        if (c.askedBefore)
            s.permissions.requestScreenRecordingIfNeeded();

        // Twice in one run: the second assistant asks the system for nothing more.
        for (int run = 1; run <= 2; ++run) {
            s.delegate.showOnboarding();
            const QPointer<OnboardingCoordinator> assistant = s.delegate.onboarding();
            ASSERT_TRUE(assistant);
            EXPECT_EQ(assistant->step(), OnboardingCoordinator::Step::welcome);
            for ([[maybe_unused]] const auto step : OnboardingCoordinator::allSteps)
                assistant->advance();
            EXPECT_TRUE(s.defaults.boolValue(AppDelegate::onboardingCompletedKey));
            EXPECT_EQ(assistantWindows.closes, run);
            EXPECT_FALSE(s.delegate.onboarding());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_FALSE(assistant);
            EXPECT_EQ(s.desktop.screenCapture().accessRequestCount(), c.requests);
            EXPECT_EQ(s.desktop.accessibility().trustPromptCount(), 1);
            EXPECT_EQ(s.delegate.lastStatus(), grantLine(false, c.screenRecording));
        }
        EXPECT_EQ(assistantWindows.requests, 2);
    }
}

TEST_F(AppDelegateTest, StartingWithBothPermissionsEndsReadyWithoutWarnings) {
    delegate.applicationDidFinishLaunching();
    // The first menu comes before the first poll; the poll's news rebuilds it.
    ASSERT_GE(menus.size(), 2);
    EXPECT_EQ(menus.first().items.first().title, "⚠︎ Accessibility not granted");
    EXPECT_EQ(firstTitle(), "Capture Mode");
    EXPECT_EQ(delegate.lastStatus(), "Ready. Accessibility ✓, Screen Recording ✓. Mode: Full "
                                     "capture (for agents). Press ⌃⌥C.");
    EXPECT_TRUE(defaults.boolValue(AppDelegate::onboardingCompletedKey));
    EXPECT_TRUE(windows.isEmpty());
    EXPECT_EQ(delegate.toolTip(), "Vantrel — ⌃⌥C window · ⌃⌥R area · Paste to Claude Code");
    EXPECT_EQ(desktop.input().hotKeys().size(), 2);
    EXPECT_EQ(desktop.input().monitorCount(), 1);
}

TEST_F(AppDelegateTest, AMissingPermissionOpensTheSetupEvenWhenItWasCompletedBefore) {
    defaults.setBool(AppDelegate::onboardingCompletedKey, true);
    desktop.setAccessibilityTrusted(false);
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(windows, QStringList{"setup"});
    EXPECT_EQ(firstTitle(), "⚠︎ Accessibility not granted");
    EXPECT_EQ(delegate.lastStatus(), grantLine(false, true));

    // The grant is seen by the next poll, and the warnings go.
    desktop.setAccessibilityTrusted(true);
    clock.advance(1s);
    EXPECT_EQ(firstTitle(), "Capture Mode");
}

TEST_F(AppDelegateTest, ChoosingModeAndAgentFromTheMenuOrElsewhere) {
    delegate.applicationDidFinishLaunching();
    choose("Screenshot only");
    EXPECT_EQ(CaptureModeSettings::primaryMode(defaults), CaptureMode::screenshot);
    EXPECT_TRUE(item("Screenshot only")->checked);
    EXPECT_FALSE(item("Full capture (for agents)")->checked);
    EXPECT_EQ(delegate.lastStatus(), "Mode set to Screenshot only. Press ⌃⌥C over the target UI.");

    choose("Codex");
    EXPECT_TRUE(item("Paste To ▸ Codex"));
    EXPECT_TRUE(delegate.toolTip().endsWith("Paste to Codex"));
    EXPECT_EQ(delegate.lastStatus(), "Paste to Codex. Press ⌃⌥C, then ⌘V.");

    // Unknown values change nothing.
    const QString before = delegate.lastStatus();
    delegate.setCaptureMode("video");
    delegate.setAgentPasteTarget("");
    EXPECT_EQ(delegate.lastStatus(), before);
    EXPECT_EQ(CaptureModeSettings::primaryMode(defaults), CaptureMode::screenshot);

    // Changes made elsewhere reach the menu and the tooltip.
    AgentPasteTargetSettings::setTarget(defaults, center, AgentPasteTarget::cursor);
    EXPECT_TRUE(item("Paste To ▸ Cursor"));
    EXPECT_TRUE(delegate.toolTip().endsWith("Paste to Cursor"));
    CaptureModeSettings::setPrimaryMode(defaults, center, CaptureMode::tree);
    EXPECT_TRUE(item("Text tree (cloud chat)")->checked);
}

TEST_F(AppDelegateTest, HotKeysReachTheCaptureAndShutdownLetsGo) {
    regionSelection = GivenRegionSelection(std::nullopt); // cancelled
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(desktop.pressHotKey(HotKeyManager::copyId));
    QCoreApplication::processEvents();
    clock.advance(1s);
    QCoreApplication::processEvents();
    EXPECT_EQ(accessibility.calls, (QList<AccessibilityCall>{{std::nullopt, false}}));
    EXPECT_EQ(toast.shown, QStringList{copiedToast});

    delegate.applicationWillTerminate();
    EXPECT_TRUE(desktop.input().hotKeys().isEmpty());
    EXPECT_EQ(desktop.input().monitorCount(), 0);
    EXPECT_FALSE(desktop.pressHotKey(HotKeyManager::copyId));
}

TEST_F(AppDelegateTest, LinksUpdatesAndQuit) {
    bool quit = false;
    QObject::connect(&delegate, &AppDelegate::quitRequested, [&] { quit = true; });
    delegate.applicationDidFinishLaunching();
    choose("Documentation");
    choose("Send Feedback");
    EXPECT_EQ(urls(desktop), (QStringList{AppDelegate::website + "/vantrel/documentation/",
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

namespace {

// One line an entry: title, "off" when disabled, "✓" when checked, its shortcut; submenus inline.
QStringList lines(const QMenu& menu) {
    QStringList shown;
    for (QAction* action : menu.actions()) {
        shown << (action->isSeparator()
                      ? "—"
                      : QStringList{action->text(), action->isEnabled() ? "" : "off",
                                    action->isChecked() ? "✓" : "", action->shortcut().toString()}
                            .join('|'));
        if (QMenu* submenu = action->menu<QMenu*>())
            shown += lines(*submenu);
    }
    return shown;
}

QStringList lines(const QList<StatusMenuItem>& items) {
    QStringList shown;
    for (const StatusMenuItem& item : items) {
        const QString key = item.key.isEmpty() ? "" : "Ctrl+" + item.key.toUpper();
        shown << (item.isSeparator() ? "—"
                                     : QStringList{item.title, item.enabled ? "" : "off",
                                                   item.checked ? "✓" : "", key}
                                           .join('|'));
        shown += lines(item.submenu);
    }
    return shown;
}

} // namespace

// The tray shows the delegate's menu entry for entry and its tooltip, and a choice there reaches
// the delegate.
TEST_F(AppDelegateTest, TheTrayMenuMirrorsTheStatusMenuAndForwardsChoices) {
    desktop.setAccessibilityTrusted(false);
    delegate.applicationDidFinishLaunching();
    TrayIcon tray(delegate);
    EXPECT_EQ(lines(*tray.menu()), lines(delegate.statusMenu().items));
    EXPECT_EQ(tray.toolTip(), delegate.toolTip());
    for (const char* line : {"⚠︎ Accessibility not granted|off||", "Quit Vantrel|||Ctrl+Q",
                             "Full capture (for agents)||✓|"})
        EXPECT_TRUE(lines(*tray.menu()).contains(line)) << line;

    // Entries are children of their menus, and submenus of the tray's menu.
    const auto choose = [&tray](const QString& title) {
        for (QAction* action : tray.menu()->findChildren<QAction*>()) {
            if (action->text() == title) {
                action->trigger();
                QCoreApplication::processEvents();
                return;
            }
        }
        FAIL() << title.toStdString();
    };
    choose("Screenshot only");
    EXPECT_EQ(CaptureModeSettings::primaryMode(defaults), CaptureMode::screenshot);
    EXPECT_TRUE(lines(*tray.menu()).contains("Screenshot only||✓|"));
    EXPECT_EQ(tray.menu()->findChildren<QMenu*>().size(), 2) << "the old submenus are gone";
    choose("Settings…");
    EXPECT_EQ(windows, (QStringList{"setup", "settings"}));
    AgentPasteTargetSettings::setTarget(defaults, center, AgentPasteTarget::codex);
    EXPECT_EQ(tray.toolTip(), delegate.toolTip());
}

// `vantrel capture --front-window --at X,Y` moves the pointer after the session starts: the
// capture must follow it there.
TEST_F(AppDelegateTest, ACaptureSessionFollowsThePointerMovedAfterItStarts) {
    CaptureSession session(platform, defaults, center, clock, std::nullopt);
    desktop.moveMouse(QPointF(42, 24));
    QCoreApplication::processEvents();
    EXPECT_EQ(session.delegate().lastCaptureMouseLocation(), QPointF(42, 24));
}

// An area without width or height captures nothing: it is a usage error, one past it is not.
TEST(CaptureOptions, AnAreaNeedsAPositiveWidthAndHeight) {
    for (const char* area : {"0,0,10,0", "0,0,0,10"})
        EXPECT_TRUE(std::holds_alternative<QString>(CaptureOptions::parse({"--region", area})))
            << area;
    const auto parsed = CaptureOptions::parse({"--region", "0,0,1,1"});
    ASSERT_TRUE(std::holds_alternative<CaptureOptions>(parsed));
    EXPECT_EQ(std::get<CaptureOptions>(parsed).region, QRectF(0, 0, 1, 1));
}

// An agent's options: --ask stands alone, --pick-window needs it, and a prompt that looks like an
// option stays the prompt.
TEST(CaptureOptions, AskingTheUserExcludesAGivenPlace) {
    for (const QStringList& given :
         {QStringList{"--ask=x", "--region", "0,0,5,5"}, QStringList{"--ask=x", "--at", "1,1"},
          QStringList{"--ask=x", "--front-window"}, QStringList{"--pick-window"}})
        EXPECT_TRUE(std::holds_alternative<QString>(CaptureOptions::parse(given)))
            << given.join(' ').toStdString();
    const auto parsed = CaptureOptions::parse({"--ask=--scene", "--pick-window", "--top-left"});
    ASSERT_TRUE(std::holds_alternative<CaptureOptions>(parsed));
    const auto& options = std::get<CaptureOptions>(parsed);
    EXPECT_EQ(options.ask, "--scene");
    EXPECT_FALSE(options.scenePath);
    EXPECT_TRUE(options.pickWindow && options.topLeft && !options.noClipboard);
}
