// The setup assistant's and the About window as they are shown: pictures of each page state, the
// keys and buttons as a user presses them, and the tray app opening and closing them.
#include "ui/widgets/OnboardingWindow.h"
#include "app/cli/GivenRegionSelection.h"
#include "app/tray/TrayApplication.h"
#include "input/GoldenPicture.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/VirtualClock.h"
#include "platform/linux/LinuxVocabulary.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/SystemPermissionsService.h"
#include "ui/OnboardingViewModel.h"
#include "ui/widgets/AboutDialog.h"
#include "ui/widgets/AppWindows.h"
#include "ui/widgets/PermissionPage.h"
#include "ui/widgets/SettingsWindow.h"
#include "ui/widgets/WelcomePage.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;
using Step = OnboardingCoordinator::Step;

namespace {

const char* const missingBoth = R"({
  "screens": [{"frame": [0, 0, 1440, 900], "scale": 1, "number": 1}],
  "permissions": {"accessibility": false, "screenRecording": false},
  "windows": []
})";

const QString goldens = QStringLiteral("ui/golden");

void pressReturn(QWidget* window) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &press);
}

// Every control and text the user can meet has a name assistive tools read out.
QStringList unnamed(const QWidget* window) {
    QStringList missing;
    for (const QWidget* child : window->findChildren<QWidget*>()) {
        const bool control =
            qobject_cast<const QAbstractButton*>(child) || qobject_cast<const QLabel*>(child);
        if (control && child->isVisible() && child->accessibleName().isEmpty())
            missing.append(child->metaObject()->className());
    }
    return missing;
}

class OnboardingWindowTest : public ::testing::Test {
  protected:
    OnboardingWindowTest() { permissions.startMonitoring(); }

    SimDesktop desktop{SceneLoader::fromJson(missingBoth)};
    Platform platform = desktop.platform();
    NotificationCenter center;
    VirtualClock clock;
    SystemPermissionsService permissions{platform, center, clock};
    int completions = 0;
    OnboardingCoordinator coordinator{[this] { ++completions; }};
    OnboardingViewModel model{coordinator, permissions, center, LinuxVocabulary::words()};
    OnboardingWindow window{model};
};

} // namespace

TEST_F(OnboardingWindowTest, Pictures) {
    const struct {
        const char* name;
        Step step;
        int presses;
        bool screenRecording;
    } cases[] = {
        {"onboarding-welcome", Step::welcome, 0, false},
        {"onboarding-accessibility", Step::accessibility, 0, false},
        {"onboarding-accessibility-waiting", Step::accessibility, 1, false},
        {"onboarding-screen-recording-granted", Step::screenRecording, 0, true},
    };
    coordinator.setWindow(&window);
    window.show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        while (coordinator.step() != c.step)
            coordinator.advance();
        for (int i = 0; i < c.presses; ++i)
            window.defaultButton()->click();
        desktop.setScreenRecordingGranted(c.screenRecording);
        clock.advance(1s);
        QCoreApplication::sendPostedEvents(); // the layout follows the new texts
        EXPECT_EQ(window.size(), QSize(640, 480));
        EXPECT_TRUE(matchesGolden(window.grab().toImage(), c.name, goldens));
        EXPECT_EQ(unnamed(&window), QStringList());
    }
}

TEST_F(OnboardingWindowTest, ReturnPressesThePagesDefaultButtonAndClosingOnlyHides) {
    coordinator.setWindow(&window);
    window.bringToFront();
    EXPECT_TRUE(window.isFloating());
    EXPECT_EQ(window.windowTitle(), "Welcome to Vantrel");

    pressReturn(&window); // Get Started
    EXPECT_EQ(window.currentPage(), window.accessibilityPage());
    pressReturn(&window); // Request Access: below the system's dialog, still shown
    EXPECT_EQ(desktop.accessibility().trustPromptCount(), 1);
    EXPECT_FALSE(window.isFloating());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.accessibilityPage()->statusLabel()->text(),
              "Waiting for you to turn it on in your desktop's settings…");

    window.accessibilityPage()->secondaryButton()->click(); // Later
    EXPECT_EQ(window.currentPage(), window.screenRecordingPage());
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(coordinator.step(), Step::screenRecording);
    EXPECT_EQ(completions, 0);

    // The grant brings it back above other windows, at the page where it was.
    desktop.setScreenRecordingGranted(true);
    clock.advance(1s);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isFloating());
    EXPECT_EQ(window.screenRecordingPage()->primaryButton()->text(), "Finish");
    pressReturn(&window);
    EXPECT_EQ(completions, 1);
}

TEST(AboutDialogTest, ShowsVersionBuildLicenceAndCredits) {
    const struct {
        std::optional<QString> version, build;
        const char* versionLine;
        const char* buildLine;
    } cases[] = {
        {"0.1.0", std::nullopt, "Version 0.1.0", "Build —"},
        {"", "4f2a9c1", "Version —", "Build 4f2a9c1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.versionLine);
        AboutDialog about(c.version, c.build);
        EXPECT_EQ(about.versionLine(), c.versionLine);
        EXPECT_EQ(about.buildLine(), c.buildLine);
    }
    AboutDialog about("0.1.0", std::nullopt);
    about.show();
    EXPECT_EQ(about.windowTitle(), "About Vantrel");
    EXPECT_EQ(unnamed(&about), QStringList());
    EXPECT_TRUE(matchesGolden(about.grab().toImage(), "about", goldens));
    about.closeButton()->click();
    EXPECT_FALSE(about.isVisible());
}

// The app as wired: a missing permission opens the assistant at start, finishing it leaves no
// window, and the About and settings windows are each made once and shown again when asked for.
TEST(OnboardingInTheTrayApp, OpensAtStartFinishesWithoutWindowAndOtherWindowsAreReused) {
    SimDesktop desktop(SceneLoader::fromJson(missingBoth));
    const Platform platform = desktop.platform();
    MemoryUserDefaults defaults;
    NotificationCenter center;
    VirtualClock clock;
    GivenRegionSelection regionSelection{std::nullopt};
    TrayApplication app(platform, defaults, center, clock, regionSelection);
    app.start();
    const QPointer<OnboardingWindow> window = app.windows().onboardingWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isFloating());

    app.delegate().showOnboarding();
    EXPECT_EQ(app.windows().onboardingWindow(), window);

    window->welcomePage()->primaryButton()->click();
    window->accessibilityPage()->secondaryButton()->click();
    window->screenRecordingPage()->secondaryButton()->click(); // Skip for now
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
    EXPECT_FALSE(app.windows().onboardingWindow());
    EXPECT_TRUE(defaults.boolValue(AppDelegate::onboardingCompletedKey));

    app.delegate().showAboutPanel();
    AboutDialog* about = app.windows().aboutDialog();
    ASSERT_TRUE(about);
    about->close();
    app.delegate().showAboutPanel();
    EXPECT_EQ(app.windows().aboutDialog(), about);
    EXPECT_TRUE(about->isVisible());

    EXPECT_FALSE(app.settingsWindow());
    app.delegate().openSettings();
    SettingsWindow* settings = app.settingsWindow();
    ASSERT_TRUE(settings);
    EXPECT_TRUE(settings->isVisible());
    settings->close();
    app.delegate().openSettings();
    EXPECT_EQ(app.settingsWindow(), settings);
    EXPECT_TRUE(settings->isVisible());
    app.shutdown();
}
