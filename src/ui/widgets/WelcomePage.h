#pragma once

#include <QWidget>

class QPushButton;

namespace vantrel {

class OnboardingViewModel;

// The setup assistant's first page: what Vantrel does and the way on.
class WelcomePage final : public QWidget {
    Q_OBJECT

  public:
    explicit WelcomePage(OnboardingViewModel& model, QWidget* parent = nullptr);

    QPushButton* primaryButton() const { return m_getStarted; }

  private:
    QPushButton* m_getStarted;
};

} // namespace vantrel
