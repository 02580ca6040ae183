// The setup assistant's logic: the pages it shows for each permission state, what its buttons do
// and in which order, and how a permission change refreshes it without moving on.
#include "platform/NotificationCenter.h"
#include "platform/PlatformVocabulary.h"
#include "platform/VirtualClock.h"
#include "platform/linux/LinuxVocabulary.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/SystemPermissionsService.h"
#include "ui/OnboardingCoordinator.h"
#include "ui/OnboardingViewModel.h"
#include "ui/PermissionStepModel.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace std::chrono_literals;
using Step = OnboardingCoordinator::Step;

namespace {

// Writes what the assistant does to its window into the same log as the page actions, so
// orders across the two can be checked.
class FakeWindow final : public QObject, public OnboardingWindowControl {
  public:
    explicit FakeWindow(QStringList& log) : m_log(log) {}
    void setFloating(bool floating) override { m_log.append(floating ? "floating" : "normal"); }
    void bringToFront() override { m_log.append("front"); }

  private:
    QStringList& m_log;
};

const char* const sceneJson = R"({
  "screens": [{"frame": [0, 0, 1440, 900], "scale": 1, "number": 1}],
  "permissions": {"accessibility": false, "screenRecording": false},
  "windows": []
})";

class OnboardingTest : public ::testing::Test {
  protected:
    OnboardingTest() { coordinator.setWindow(&window); }

    PermissionStepModel page(bool isLast) {
        return PermissionStepModel(coordinator,
                                   {"accessibility", Qt::blue, "Accessibility", "Reads.", "",
                                    isLast, [this] { log.append("request"); },
                                    [this] { log.append("openSettings"); }},
                                   PlatformVocabulary::macOS());
    }

    QStringList log;
    FakeWindow window{log};
    int completions = 0;
    OnboardingCoordinator coordinator{[this] { ++completions; }};
};

} // namespace

TEST_F(OnboardingTest, PermissionPageShowsItsState) {
    const struct {
        bool granted, didRequest, isLast;
        const char* status;
        const char* primary;
        const char* secondary;
        const char* icon;
    } cases[] = {
        {false, false, false, "", "Request Access", "Later", "accessibility"},
        {false, true, false, "Waiting for you to allow it in System Settings…",
         "Open System Settings", "Later", "accessibility"},
        {true, false, false, "Granted", "Next", "Later", "checkmark.circle.fill"},
        {true, true, false, "Granted", "Next", "Later", "checkmark.circle.fill"},
        {false, false, true, "", "Request Access", "Skip for now", "accessibility"},
        {false, true, true, "Waiting for you to allow it in System Settings…",
         "Open System Settings", "Skip for now", "accessibility"},
        {true, false, true, "Granted", "Finish", "Skip for now", "checkmark.circle.fill"},
        {true, true, true, "Granted", "Finish", "Skip for now", "checkmark.circle.fill"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "granted " << c.granted << " didRequest "
                                          << c.didRequest << " last " << c.isLast);
        PermissionStepModel model = page(c.isLast);
        if (c.didRequest)
            model.pressPrimary();
        model.setGranted(c.granted);
        EXPECT_EQ(model.statusLine(), c.status);
        EXPECT_EQ(model.primaryTitle(), c.primary);
        EXPECT_EQ(model.secondaryTitle(), c.secondary);
        EXPECT_EQ(model.icon(), c.icon);
        EXPECT_EQ(model.tint(), c.granted ? PermissionStepModel::grantedTint : QColor(Qt::blue));
    }
}

TEST_F(OnboardingTest, FirstPressRequestsLaterPressesOpenSettingsAlwaysBelowTheSystem) {
    PermissionStepModel model = page(false);
    model.pressPrimary();
    EXPECT_EQ(log, (QStringList{"normal", "request"}));
    EXPECT_TRUE(model.didRequest());
    log.clear();
    model.pressPrimary();
    model.pressPrimary();
    EXPECT_EQ(log, (QStringList{"normal", "openSettings", "normal", "openSettings"}));
    EXPECT_EQ(coordinator.step(), Step::welcome);

    // Once granted the same button moves on and leaves the window alone.
    log.clear();
    model.setGranted(true);
    model.pressPrimary();
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(coordinator.step(), Step::accessibility);
}

TEST_F(OnboardingTest, StepsFromRawValues) {
    EXPECT_EQ(OnboardingCoordinator::stepFromRaw(0), Step::welcome);
    EXPECT_EQ(OnboardingCoordinator::stepFromRaw(2), Step::screenRecording);
    EXPECT_EQ(OnboardingCoordinator::stepFromRaw(-1), std::nullopt);
    EXPECT_EQ(OnboardingCoordinator::stepFromRaw(3), std::nullopt);
}

TEST_F(OnboardingTest, EveryWayOnMovesOnePageAndTheLastCompletesInPlace) {
    enum class Press { getStarted, primary, secondary };
    const struct {
        const char* name;
        Step from;
        bool granted;
        Press press;
        Step to;
        int completions;
    } cases[] = {
        {"Get Started", Step::welcome, false, Press::getStarted, Step::accessibility, 0},
        {"Later", Step::accessibility, false, Press::secondary, Step::screenRecording, 0},
        {"Next", Step::accessibility, true, Press::primary, Step::screenRecording, 0},
        {"Skip for now", Step::screenRecording, false, Press::secondary, Step::screenRecording, 1},
        {"Finish", Step::screenRecording, true, Press::primary, Step::screenRecording, 1},
    };
    SimDesktop desktop(SceneLoader::fromJson(sceneJson));
    const Platform platform = desktop.platform();
    NotificationCenter center;
    VirtualClock clock;
    SystemPermissionsService permissions(platform, center, clock);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int done = 0;
        OnboardingCoordinator subject([&done] { ++done; });
        OnboardingViewModel model(subject, permissions, center, PlatformVocabulary::macOS());
        while (subject.step() != c.from)
            subject.advance();
        int changes = 0;
        QObject::connect(&subject, &OnboardingCoordinator::stepChanged, [&] { ++changes; });
        PermissionStepModel* shown = model.page(c.from);
        if (shown)
            shown->setGranted(c.granted);
        if (c.press == Press::getStarted)
            model.getStarted();
        else if (c.press == Press::primary)
            shown->pressPrimary();
        else
            shown->pressSecondary();
        EXPECT_EQ(subject.step(), c.to);
        EXPECT_EQ(changes, c.to == c.from ? 0 : 1);
        EXPECT_EQ(done, c.completions);
    }
}

TEST_F(OnboardingTest, APermissionChangeRefreshesThePagesAndBringsTheWindowBackInPlace) {
    SimDesktop desktop(SceneLoader::fromJson(sceneJson));
    const Platform platform = desktop.platform();
    NotificationCenter center;
    VirtualClock clock;
    SystemPermissionsService permissions(platform, center, clock);
    permissions.startMonitoring();
    auto model = std::make_unique<OnboardingViewModel>(coordinator, permissions, center,
                                                       LinuxVocabulary::words());
    coordinator.advance();
    model->accessibilityPage().pressPrimary(); // Linux: switches the accessibility bus on
    EXPECT_EQ(desktop.accessibility().trustPromptCount(), 1);
    EXPECT_FALSE(model->accessibilityPage().granted());
    log.clear();

    desktop.setAccessibilityTrusted(true);
    clock.advance(1s);
    EXPECT_TRUE(model->accessibilityPage().granted());
    EXPECT_EQ(model->accessibilityPage().statusLine(), "Granted");
    EXPECT_TRUE(model->accessibilityPage().steps().isEmpty());
    EXPECT_FALSE(model->screenRecordingPage().granted());
    EXPECT_EQ(log, (QStringList{"floating", "front"}));
    EXPECT_EQ(coordinator.step(), Step::accessibility);

    // A poll that finds nothing new leaves the window alone; a gone assistant hears nothing.
    clock.advance(1s);
    EXPECT_EQ(log.size(), 2);
    model.reset();
    desktop.setScreenRecordingGranted(true);
    clock.advance(1s);
    EXPECT_EQ(log.size(), 2);
}

// What the monitor already knows shows from the start: granted pages need no press.
TEST_F(OnboardingTest, PermissionsGrantedBeforeTheAssistantShowAtOnce) {
    SimDesktop desktop(SceneLoader::fromJson(sceneJson));
    desktop.setAccessibilityTrusted(true);
    desktop.setScreenRecordingGranted(true);
    const Platform platform = desktop.platform();
    NotificationCenter center;
    VirtualClock clock;
    SystemPermissionsService permissions(platform, center, clock);
    permissions.startMonitoring();
    OnboardingViewModel model(coordinator, permissions, center, LinuxVocabulary::words());
    EXPECT_EQ(model.accessibilityPage().primaryTitle(), "Next");
    EXPECT_EQ(model.screenRecordingPage().primaryTitle(), "Finish");
}

TEST_F(OnboardingTest, PagesSpeakThePlatformsWords) {
    SimDesktop desktop(SceneLoader::fromJson(sceneJson));
    const Platform platform = desktop.platform();
    NotificationCenter center;
    VirtualClock clock;
    SystemPermissionsService permissions(platform, center, clock);
    const PlatformVocabulary linux = LinuxVocabulary::words();
    OnboardingViewModel onLinux(coordinator, permissions, center, linux);
    EXPECT_EQ(onLinux.welcomeMessage(),
              "Press Ctrl+Alt+C to capture the front window, or Ctrl+Alt+R to drag an area. "
              "Vantrel puts the screenshot and the interface structure on the clipboard — paste "
              "it into Claude Code, Cursor or Codex with Ctrl+V.");
    EXPECT_EQ(onLinux.accessibilityPage().steps(), linux.accessibilitySteps);
    EXPECT_EQ(onLinux.screenRecordingPage().page().message,
              "The capture also carries a screenshot of the window or the area you select. " +
                  linux.screenRecordingReason);
    onLinux.screenRecordingPage().pressPrimary();
    EXPECT_EQ(onLinux.screenRecordingPage().primaryTitle(), "Open Desktop Settings");

    OnboardingViewModel onMac(coordinator, permissions, center, PlatformVocabulary::macOS());
    EXPECT_EQ(onMac.screenRecordingPage().page().message,
              "The capture also carries a screenshot of the window or the area you select. macOS "
              "asks for Screen Recording to let Vantrel take it.");
    EXPECT_TRUE(onMac.accessibilityPage().steps().isEmpty());
    EXPECT_EQ(onMac.permissionsAheadNote(), "macOS will ask for two permissions next.");
}
