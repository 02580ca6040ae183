#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

namespace vantrel {

struct AppIdentity;
class AboutDialog;
class OnboardingViewModel;
class OnboardingWindow;
class SetupAssistantFlow;
class StatusMenuPresenter;

// The app's own windows: the setup assistant's, while an assistant exists, and one About window,
// kept once made.
class AppWindows final : public QObject {
    Q_OBJECT

  public:
    AppWindows(SetupAssistantFlow& setupAssistant, StatusMenuPresenter& statusMenu,
               const AppIdentity& identity, QObject* parent = nullptr);
    ~AppWindows() override;

    OnboardingWindow* onboardingWindow() const;
    AboutDialog* aboutDialog() const { return m_about.get(); }

    void showOnboarding(OnboardingViewModel* assistant);
    void closeOnboarding();
    void showAbout();

  private:
    QPointer<OnboardingWindow> m_onboarding;
    const AppIdentity& m_identity;
    std::unique_ptr<AboutDialog> m_about;
};

} // namespace vantrel
