#include "AppWindows.h"

#include "AboutDialog.h"
#include "OnboardingWindow.h"
#include "platform/AppIdentity.h"
#include "ui/OnboardingViewModel.h"
#include "ui/SetupAssistantFlow.h"
#include "ui/StatusMenuPresenter.h"

namespace vantrel {

AppWindows::AppWindows(SetupAssistantFlow& setupAssistant, StatusMenuPresenter& statusMenu,
                       const AppIdentity& identity, QObject* parent)
    : QObject(parent), m_identity(identity) {
    connect(&setupAssistant, &SetupAssistantFlow::windowRequested, this,
            &AppWindows::showOnboarding);
    connect(&setupAssistant, &SetupAssistantFlow::windowClosed, this, &AppWindows::closeOnboarding);
    connect(&statusMenu, &StatusMenuPresenter::aboutRequested, this, &AppWindows::showAbout);
}

AppWindows::~AppWindows() {
    delete m_onboarding;
}

OnboardingWindow* AppWindows::onboardingWindow() const {
    return m_onboarding;
}

void AppWindows::showOnboarding(OnboardingViewModel* assistant) {
    if (!assistant)
        return;
    closeOnboarding();
    auto* window = new OnboardingWindow(*assistant);
    m_onboarding = window;
    assistant->coordinator().setWindow(window);
    // The window shows its assistant's pages and cannot outlive them.
    connect(assistant, &QObject::destroyed, window, &QObject::deleteLater);
}

void AppWindows::closeOnboarding() {
    if (!m_onboarding)
        return;
    m_onboarding->hide();
    // Called from a click inside the window itself.
    m_onboarding->deleteLater();
    m_onboarding = nullptr;
}

void AppWindows::showAbout() {
    if (!m_about)
        m_about = std::make_unique<AboutDialog>(m_identity.version, m_identity.build);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

} // namespace vantrel
