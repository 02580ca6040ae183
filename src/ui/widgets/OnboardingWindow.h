#pragma once

#include "ui/OnboardingCoordinator.h"
#include "ui/OnboardingWindowControl.h"

#include <QDialog>

class QPushButton;
class QStackedWidget;

namespace vantrel {

class OnboardingViewModel;
class PermissionPage;
class WelcomePage;

// The setup assistant's window: the page of the current step, above other windows while the
// user reads it. Closing it only hides it, so it comes back at the same page.
class OnboardingWindow final : public QDialog, public OnboardingWindowControl {
    Q_OBJECT

  public:
    static constexpr QSize contentSize{640, 480};

    explicit OnboardingWindow(OnboardingViewModel& model, QWidget* parent = nullptr);

    void setFloating(bool floating) override;
    bool isFloating() const;
    void bringToFront() override;

    WelcomePage* welcomePage() const { return m_welcome; }
    PermissionPage* accessibilityPage() const { return m_accessibility; }
    PermissionPage* screenRecordingPage() const { return m_screenRecording; }
    QWidget* currentPage() const;
    // The button Return presses on the page shown.
    QPushButton* defaultButton() const;

  private:
    void showStep();
    void centreOnScreen();

    OnboardingCoordinator& m_coordinator;
    QStackedWidget* m_pages;
    WelcomePage* m_welcome;
    PermissionPage* m_accessibility;
    PermissionPage* m_screenRecording;
};

} // namespace vantrel
