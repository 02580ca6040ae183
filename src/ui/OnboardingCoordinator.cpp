#include "OnboardingCoordinator.h"

namespace vantrel {

std::optional<OnboardingCoordinator::Step> OnboardingCoordinator::stepFromRaw(int raw) {
    for (const Step step : allSteps) {
        if (static_cast<int>(step) == raw)
            return step;
    }
    return std::nullopt;
}

OnboardingCoordinator::OnboardingCoordinator(std::function<void()> onComplete, QObject* parent)
    : QObject(parent), m_onComplete(std::move(onComplete)) {}

void OnboardingCoordinator::advance() {
    const std::optional<Step> next = stepFromRaw(static_cast<int>(m_step) + 1);
    if (!next) {
        if (m_onComplete)
            m_onComplete();
        return;
    }
    m_step = *next;
    Q_EMIT stepChanged();
}

void OnboardingCoordinator::forgetWindow() {
    m_windowObject = nullptr;
    m_window = nullptr;
}

void OnboardingCoordinator::beginSystemDialog() {
    if (OnboardingWindowControl* shown = window())
        shown->setFloating(false);
}

void OnboardingCoordinator::endSystemDialog() {
    if (OnboardingWindowControl* shown = window()) {
        shown->setFloating(true);
        shown->bringToFront();
    }
}

} // namespace vantrel
