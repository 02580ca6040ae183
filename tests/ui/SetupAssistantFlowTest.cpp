// The setup assistant's flow on a simulated desktop: one assistant at a time, and what finishing
// it asks of the system.
#include "ui/SetupAssistantFlow.h"
#include "UiSession.h"
#include "ui/OnboardingCoordinator.h"
#include "ui/OnboardingViewModel.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

// Stands in for the view: makes one window per request and logs what it is asked to do.
class FakeAssistantWindows final : public QObject, public OnboardingWindowControl {
  public:
    explicit FakeAssistantWindows(SetupAssistantFlow& flow) {
        QObject::connect(&flow, &SetupAssistantFlow::windowRequested,
                         [this](OnboardingViewModel* assistant) {
                             ++requests;
                             assistant->coordinator().setWindow(this);
                         });
        QObject::connect(&flow, &SetupAssistantFlow::windowClosed, [this] { ++closes; });
        QObject::connect(&flow, &SetupAssistantFlow::finished, [this] { ++finishes; });
    }
    void setFloating(bool floating) override { log.append(floating ? "floating" : "normal"); }
    void bringToFront() override { log.append("front"); }

    int requests = 0;
    int closes = 0;
    int finishes = 0;
    QStringList log;
};

struct FlowHarness : vantrel::testing::UiSession {
    FlowHarness() : UiSession(true) {}
    SetupAssistantFlow flow{{permissions, center, defaults, platform.vocabulary}};
};

} // namespace

TEST(SetupAssistantFlow, OpensOnceAndComesBackAtThePageLeft) {
    FlowHarness h;
    FakeAssistantWindows windows(h.flow);
    h.flow.show();
    OnboardingCoordinator* first = h.flow.assistant();
    ASSERT_TRUE(first);
    EXPECT_EQ(windows.requests, 1);
    EXPECT_EQ(windows.log, QStringList{"front"});

    // Closed with its close button: nothing reaches the flow, and the next opening raises the
    // same window at the same page.
    first->advance();
    h.flow.show();
    EXPECT_EQ(h.flow.assistant(), first);
    EXPECT_EQ(first->step(), OnboardingCoordinator::Step::accessibility);
    EXPECT_EQ(windows.requests, 1);
    EXPECT_EQ(windows.log, (QStringList{"front", "front"}));
}

TEST(SetupAssistantFlow, AtStartItOpensOnlyWhenAPermissionIsMissing) {
    FlowHarness granted;
    FakeAssistantWindows grantedWindows(granted.flow);
    granted.flow.openUnlessGranted(true);
    EXPECT_EQ(grantedWindows.requests, 0);
    EXPECT_TRUE(granted.defaults.boolValue(SetupAssistantFlow::onboardingCompletedKey));

    FlowHarness missing;
    FakeAssistantWindows missingWindows(missing.flow);
    missing.defaults.setBool(SetupAssistantFlow::onboardingCompletedKey, true);
    missing.flow.openUnlessGranted(false);
    EXPECT_EQ(missingWindows.requests, 1);
}

TEST(SetupAssistantFlow, Finishing) {
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
        FlowHarness h;
        h.desktop.setAccessibilityTrusted(false);
        h.desktop.setScreenRecordingGranted(c.screenRecording);
        FakeAssistantWindows windows(h.flow);
        if (c.askedBefore)
            h.permissions.requestScreenRecordingIfNeeded();

        // Twice in one run: the second assistant asks the system for nothing more.
        for (int run = 1; run <= 2; ++run) {
            h.flow.show();
            const QPointer<OnboardingCoordinator> assistant = h.flow.assistant();
            ASSERT_TRUE(assistant);
            EXPECT_EQ(assistant->step(), OnboardingCoordinator::Step::welcome);
            for ([[maybe_unused]] const auto step : OnboardingCoordinator::allSteps)
                assistant->advance();
            // Its window is on its way out: nothing may bring it back before it is gone.
            EXPECT_FALSE(assistant->window());
            EXPECT_TRUE(h.defaults.boolValue(SetupAssistantFlow::onboardingCompletedKey));
            EXPECT_EQ(windows.closes, run);
            EXPECT_EQ(windows.finishes, run);
            EXPECT_FALSE(h.flow.assistant());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_FALSE(assistant);
            EXPECT_EQ(h.desktop.screenCapture().accessRequestCount(), c.requests);
            EXPECT_EQ(h.desktop.accessibility().trustPromptCount(), 1);
        }
        EXPECT_EQ(windows.requests, 2);
    }
}
