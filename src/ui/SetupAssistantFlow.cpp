#include "SetupAssistantFlow.h"

#include "OnboardingCoordinator.h"
#include "OnboardingViewModel.h"
#include "platform/UserDefaults.h"
#include "screen/SystemPermissionsService.h"

namespace vantrel {

SetupAssistantFlow::SetupAssistantFlow(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(dependencies) {}

void SetupAssistantFlow::openUnlessGranted(bool permissionsGranted) {
    if (permissionsGranted)
        m_deps.defaults.setBool(onboardingCompletedKey, true);
    else
        show();
}

void SetupAssistantFlow::show() {
    if (!m_coordinator) {
        QPointer<SetupAssistantFlow> weakSelf(this);
        UserDefaults* defaults = &m_deps.defaults;
        auto* coordinator = new OnboardingCoordinator(
            [weakSelf, defaults] {
                defaults->setBool(onboardingCompletedKey, true);
                if (weakSelf)
                    weakSelf->close();
            },
            this);
        m_model = new OnboardingViewModel(*coordinator, m_deps.permissions, m_deps.center,
                                          m_deps.vocabulary, coordinator);
        m_coordinator = coordinator;
    }
    if (!m_coordinator->window())
        Q_EMIT windowRequested(m_model);
    if (OnboardingWindowControl* window = m_coordinator->window())
        window->bringToFront();
}

OnboardingCoordinator* SetupAssistantFlow::assistant() const {
    return m_coordinator;
}

void SetupAssistantFlow::close() {
    if (m_coordinator) {
        m_coordinator->forgetWindow();
        Q_EMIT windowClosed();
        // Completion runs inside the coordinator's own advance(), called from a click.
        m_coordinator->deleteLater();
        m_coordinator = nullptr;
        m_model = nullptr;
    }
    m_deps.permissions.requestScreenRecordingIfNeeded();
    m_deps.permissions.requestAccessibilityIfNeeded();
    Q_EMIT finished();
}

} // namespace vantrel
