// The setup assistant's pages, their buttons and how a grant refreshes them; its window and the
// About window as a user sees and presses them.
#include "UiSession.h"
#include "input/GoldenPicture.h"
#include "platform/linux/LinuxVocabulary.h"
#include "ui/OnboardingViewModel.h"
#include "ui/widgets/AboutDialog.h"
#include "ui/widgets/OnboardingWindow.h"
#include "ui/widgets/PermissionPage.h"
#include "ui/widgets/StatusIconPainter.h"
#include "ui/widgets/SymbolIcon.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;
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

class AssistantFixture : public ::testing::Test, protected UiSession {
  protected:
    AssistantFixture() : UiSession(false) {}

    int completions = 0;
    OnboardingCoordinator coordinator{[this] { ++completions; }};
};

class OnboardingTest : public AssistantFixture {
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
};

class OnboardingWindowTest : public AssistantFixture {
  protected:
    OnboardingWindowTest() { permissions.startMonitoring(); }

    OnboardingViewModel model{coordinator, permissions, center, LinuxVocabulary::words()};
    OnboardingWindow window{model};
};

} // namespace

TEST_F(OnboardingTest, PermissionPageShowsItsState) {
    const char* const waiting = "Waiting for you to allow it in System Settings…";
    const struct {
        bool granted, didRequest, isLast;
        const char* status;
        const char* primary;
    } cases[] = {
        {false, false, false, "", "Request Access"},
        {false, true, false, waiting, "Open System Settings"},
        {true, false, false, "Granted", "Next"},
        {true, true, false, "Granted", "Next"},
        {false, false, true, "", "Request Access"},
        {false, true, true, waiting, "Open System Settings"},
        {true, false, true, "Granted", "Finish"},
        {true, true, true, "Granted", "Finish"},
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
        EXPECT_EQ(model.secondaryTitle(), c.isLast ? "Skip for now" : "Later");
        EXPECT_EQ(model.icon(), c.granted ? "checkmark.circle.fill" : "accessibility");
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
    const QList<std::optional<Step>> steps{std::nullopt, Step::welcome, Step::accessibility,
                                           Step::screenRecording, std::nullopt};
    for (int raw = -1; raw <= 3; ++raw)
        EXPECT_EQ(OnboardingCoordinator::stepFromRaw(raw), steps[raw + 1]) << raw;
}

TEST_F(OnboardingTest, APermissionChangeRefreshesThePagesAndBringsTheWindowBackInPlace) {
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
    desktop.setAccessibilityTrusted(true);
    desktop.setScreenRecordingGranted(true);
    permissions.startMonitoring();
    OnboardingViewModel model(coordinator, permissions, center, LinuxVocabulary::words());
    EXPECT_EQ(model.accessibilityPage().primaryTitle(), "Next");
    EXPECT_EQ(model.screenRecordingPage().primaryTitle(), "Finish");
}

TEST_F(OnboardingTest, PagesSpeakThePlatformsWords) {
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
    const AboutDialog unversioned("", "4f2a9c1");
    EXPECT_EQ(unversioned.versionLine(), "Version —");
    EXPECT_EQ(unversioned.buildLine(), "Build 4f2a9c1");
    AboutDialog about("0.1.0", std::nullopt);
    EXPECT_EQ(about.versionLine(), "Version 0.1.0");
    EXPECT_EQ(about.buildLine(), "Build —");
    about.show();
    EXPECT_EQ(about.windowTitle(), "About Vantrel");
    EXPECT_EQ(unnamed(&about), QStringList());
    EXPECT_TRUE(matchesGolden(about.grab().toImage(), "about", goldens));
    about.closeButton()->click();
    EXPECT_FALSE(about.isVisible());
}

// The drawings stand in wherever the icon theme has no picture, and the tray icon is always one;
// each is small enough to pass a whole-window picture's tolerance, so they are compared here.
TEST(SymbolIcons, EachDrawingAndTheTrayIconMatchTheirPicture) {
    const QStringList symbols{"gearshape",          "camera.viewfinder",    "sparkles",
                              "lock.shield",        "doc.on.clipboard",     "accessibility",
                              "record.circle.fill", "checkmark.circle.fill"};
    QImage sheet(32 * int(symbols.size() + 1), 32, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int i = 0; i < symbols.size(); ++i)
        painter.drawPixmap(32 * i, 0, SymbolIcon::drawn(symbols[i], Qt::darkBlue, 32));
    painter.drawPixmap(32 * int(symbols.size()), 0, StatusIconPainter::pixmap(32));
    painter.end();
    EXPECT_TRUE(matchesGolden(sheet, "symbols", goldens, /*hasText=*/false));
}
