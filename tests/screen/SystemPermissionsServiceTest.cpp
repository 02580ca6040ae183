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
        const QByteArray scene = permissionScene(accessibility, screenRecording, extra);
        desktop = std::make_unique<SimDesktop>(SceneLoader::fromJson(scene));
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
    // Accessibility, screen recording, notifications at launch (the initial state is both false)
    // and the interval.
    const std::tuple<bool, bool, int, std::chrono::milliseconds> cases[] = {
        {true, true, 1, 3s},
        {true, false, 1, 1s},
        {false, true, 1, 1s},
        {false, false, 0, 1s},
    };
    for (const auto& [accessibility, screenRecording, notificationsAtLaunch, interval] : cases) {
        SCOPED_TRACE(::testing::Message() << accessibility << screenRecording);
        notifications = 0;
        load(accessibility, screenRecording);
        const qsizetype before = clock.requestedSleeps().size();
        service->startMonitoring();
        EXPECT_EQ(notifications, notificationsAtLaunch);
        EXPECT_EQ(service->state(), (State{accessibility, screenRecording}));
        EXPECT_EQ(clock.requestedSleeps().mid(before), QList{interval});

        clock.advance(interval * 3);
        EXPECT_EQ(clock.requestedSleeps().mid(before),
                  QList<std::chrono::milliseconds>(4, interval));
        EXPECT_EQ(notifications, notificationsAtLaunch);
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
    using Request = void (*)(SystemPermissionsService&);
    const std::pair<const char*, Request> cases[] = {
        {"never requested", nullptr},
        {"pane opened", [](SystemPermissionsService& s) { s.openScreenRecordingSettings(); }},
        {"system asked", [](SystemPermissionsService& s) { s.requestScreenRecordingIfNeeded(); }},
    };
    for (const auto& [name, request] : cases) {
        SCOPED_TRACE(name);
        load(true, false);
        service->startMonitoring();
        clock.advance(1s);
        EXPECT_EQ(contentQueries(), 0);
        if (request)
            request(*service);
        EXPECT_EQ(service->didRequestScreenRecording(), request != nullptr);

        // Granted, but the live query fails: only the preflight calls that granted.
        desktop->setScreenRecordingGranted(true);
        desktop->setShareableContentError(failure);
        clock.advance(1s);
        EXPECT_EQ(service->state().screenRecording, request == nullptr);
        EXPECT_EQ(contentQueries(), request ? 1 : 0);

        desktop->setShareableContentError(std::nullopt);
        clock.advance(lastSleep());
        EXPECT_TRUE(service->state().screenRecording);
        EXPECT_EQ(contentQueries(), request ? 2 : 0);
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
    const std::pair<const char*, const char*> cases[] = {
        {"", "Vantrel"},
        {R"(, "bundleName": "Clipper")", "Clipper"},
        {R"(, "bundleName": "")", "This app"}};
    QTemporaryDir shots;
    for (const auto& [extra, appName] : cases) {
        SCOPED_TRACE(appName);
        load(true, false, extra);
        EXPECT_EQ(service->appName(), QString::fromUtf8(appName));
        ScreenCaptureService screens(desktop->platform(), *service, clock, shots.path());
        const auto result = settle(screens.capture(true, std::nullopt, PngWanted::no));
        ASSERT_TRUE(result.screenError);
        EXPECT_EQ(result.screenError->localizedDescription(),
                  QString::fromUtf8(appName) +
                      QStringLiteral(" needs Screen Recording access. Enable it in System "
                                     "Settings → Privacy & Security → Screen Recording."));
    }
}

} // namespace
