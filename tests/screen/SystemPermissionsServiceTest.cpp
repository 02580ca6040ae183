#include "screen/SystemPermissionsService.h"
#include "ScreenTestSupport.h"
#include "platform/NotificationCenter.h"
#include "platform/VirtualClock.h"
#include "screen/ScreenCaptureService.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;
using State = SystemPermissionsService::State;

namespace {

QByteArray permissionScene(bool accessibility, bool screenRecording, const char* extra = "") {
    return QStringLiteral(R"({"screens": [{"frame": [0, 0, 800, 600]}],
        "permissions": {"accessibility": %1, "screenRecording": %2}%3})")
        .arg(accessibility ? "true" : "false", screenRecording ? "true" : "false",
             QLatin1String(extra))
        .toUtf8();
}

class SystemPermissionsServiceTest : public ::testing::Test {
  protected:
    SystemPermissionsServiceTest() {
        center.addObserver(SystemPermissionsService::didChangeNotification,
                           [this] { ++notifications; });
    }

    void load(bool accessibility, bool screenRecording, const char* extra = "") {
        service.reset();
        desktop = desktopFrom(permissionScene(accessibility, screenRecording, extra).constData());
        service = std::make_unique<SystemPermissionsService>(desktop->platform(), center, clock);
    }

    std::chrono::milliseconds lastSleep() const { return clock.requestedSleeps().last(); }
    int contentQueries() const { return desktop->screenCapture().shareableContentCount(); }

    VirtualClock clock;
    NotificationCenter center;
    int notifications = 0;
    std::unique_ptr<SimDesktop> desktop;
    std::unique_ptr<SystemPermissionsService> service;
};

TEST_F(SystemPermissionsServiceTest, MonitorPollsAtOnceThenEverySecondOrEveryThreeWhenBothGranted) {
    const struct {
        bool accessibility;
        bool screenRecording;
        int notificationsAtLaunch; // the initial state is both false
        std::chrono::milliseconds interval;
    } cases[] = {
        {true, true, 1, 3s},
        {true, false, 1, 1s},
        {false, true, 1, 1s},
        {false, false, 0, 1s},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(::testing::Message() << testCase.accessibility << testCase.screenRecording);
        notifications = 0;
        load(testCase.accessibility, testCase.screenRecording);
        const qsizetype before = clock.requestedSleeps().size();
        service->startMonitoring();
        EXPECT_EQ(notifications, testCase.notificationsAtLaunch);
        EXPECT_EQ(service->state(), (State{testCase.accessibility, testCase.screenRecording}));
        EXPECT_EQ(clock.requestedSleeps().mid(before), QList{testCase.interval});

        clock.advance(testCase.interval * 3);
        EXPECT_EQ(clock.requestedSleeps().mid(before),
                  QList<std::chrono::milliseconds>(4, testCase.interval));
        EXPECT_EQ(notifications, testCase.notificationsAtLaunch);
    }
}

// A monitor left asleep would outlive the service and be leaked at exit.
TEST_F(SystemPermissionsServiceTest, DestroyingTheServiceEndsItsMonitorMidSleep) {
    load(true, true);
    service->startMonitoring();
    ASSERT_EQ(clock.pendingSleepers(), 1);
    const qsizetype polls = clock.requestedSleeps().size();

    service.reset();
    EXPECT_EQ(clock.pendingSleepers(), 0);
    desktop->setAccessibilityTrusted(false);
    clock.advance(1h);
    EXPECT_EQ(clock.requestedSleeps().size(), polls);
    EXPECT_EQ(notifications, 1);
}

TEST_F(SystemPermissionsServiceTest, EveryChangeIsAnnouncedOnceAtTheNextPoll) {
    load(true, false);
    service->startMonitoring();
    ASSERT_EQ(notifications, 1);

    desktop->setScreenRecordingGranted(true);
    clock.advance(999ms);
    EXPECT_EQ(notifications, 1);
    EXPECT_FALSE(service->state().screenRecording);
    clock.advance(1ms);
    EXPECT_EQ(notifications, 2);
    EXPECT_EQ(service->state(), (State{true, true}));
    EXPECT_EQ(lastSleep(), 3s);

    desktop->setAccessibilityTrusted(false); // revoked while running
    clock.advance(2999ms);
    EXPECT_EQ(notifications, 2);
    clock.advance(1ms);
    EXPECT_EQ(notifications, 3);
    EXPECT_EQ(service->state(), (State{false, true}));
    EXPECT_EQ(lastSleep(), 1s);
}

TEST_F(SystemPermissionsServiceTest, OnceScreenRecordingWasRequestedTheMonitorQueriesLive) {
    const PlatformError failure{QStringLiteral("SCStreamErrorDomain"), -3801, QStringLiteral("no")};
    const struct {
        const char* name;
        void (*request)(SystemPermissionsService&);
    } cases[] = {
        {"never requested", nullptr},
        {"pane opened", [](SystemPermissionsService& s) { s.openScreenRecordingSettings(); }},
        {"system asked", [](SystemPermissionsService& s) { s.requestScreenRecordingIfNeeded(); }},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        load(true, false);
        service->startMonitoring();
        clock.advance(1s);
        EXPECT_EQ(contentQueries(), 0);
        if (testCase.request)
            testCase.request(*service);
        EXPECT_EQ(service->didRequestScreenRecording(), testCase.request != nullptr);

        // Granted, but the live query fails: only the preflight calls that granted.
        desktop->setScreenRecordingGranted(true);
        desktop->setShareableContentError(failure);
        clock.advance(1s);
        EXPECT_EQ(service->state().screenRecording, testCase.request == nullptr);
        EXPECT_EQ(contentQueries(), testCase.request ? 1 : 0);

        desktop->setShareableContentError(std::nullopt);
        clock.advance(lastSleep());
        EXPECT_TRUE(service->state().screenRecording);
        EXPECT_EQ(contentQueries(), testCase.request ? 2 : 0);
    }
}

// Each prompt is shown at most once per run; activation resets the flag only once granted.
TEST_F(SystemPermissionsServiceTest, PromptsAreShownOnceUntilActivationFindsThemGranted) {
    load(false, false);
    const auto prompts = [&] {
        service->requestAccessibilityIfNeeded();
        service->requestScreenRecordingIfNeeded();
        return std::pair{desktop->accessibility().trustPromptCount(),
                         desktop->screenCapture().accessRequestCount()};
    };
    EXPECT_EQ(prompts(), std::pair(1, 1));
    EXPECT_EQ(prompts(), std::pair(1, 1));
    service->resetPromptFlags(); // still denied: the flags stay
    EXPECT_EQ(prompts(), std::pair(1, 1));

    desktop->setAccessibilityTrusted(true);
    desktop->setScreenRecordingGranted(true);
    EXPECT_EQ(prompts(), std::pair(1, 1)) << "granted: nothing to ask";
    service->resetPromptFlags();
    desktop->setAccessibilityTrusted(false); // revoked later in the run
    desktop->setScreenRecordingGranted(false);
    EXPECT_EQ(prompts(), std::pair(2, 2));
    EXPECT_EQ(prompts(), std::pair(2, 2));
}

TEST_F(SystemPermissionsServiceTest, PermissionMessagesStartWithTheBundleNameOrThisApp) {
    const struct {
        const char* extra;
        const char* appName;
    } cases[] = {
        {"", "Vantrel"},
        {R"(, "bundleName": "Clipper")", "Clipper"},
        {R"(, "bundleName": "")", "This app"},
    };
    QTemporaryDir shots;
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.appName);
        load(true, false, testCase.extra);
        EXPECT_EQ(service->appName(), QString::fromUtf8(testCase.appName));
        ScreenCaptureService screens(desktop->platform(), *service, clock, shots.path());
        const auto result = settle(screens.capture(true, std::nullopt));
        ASSERT_TRUE(result.screenError);
        EXPECT_EQ(result.screenError->localizedDescription(),
                  QString::fromUtf8(testCase.appName) +
                      QStringLiteral(" needs Screen Recording access. Enable it in System "
                                     "Settings → Privacy & Security → Screen Recording."));
    }
}

} // namespace
