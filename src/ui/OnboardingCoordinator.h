#pragma once

#include "OnboardingWindowControl.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <optional>

namespace vantrel {

// The setup assistant's page and what finishing it means, shared by its window and the flow
// that opened it. Pages never move on their own: only advance() moves them.
class OnboardingCoordinator final : public QObject {
    Q_OBJECT

  public:
    enum class Step { welcome = 0, accessibility = 1, screenRecording = 2 };
    static constexpr std::array<Step, 3> allSteps{Step::welcome, Step::accessibility,
                                                  Step::screenRecording};
    static std::optional<Step> stepFromRaw(int raw);

    explicit OnboardingCoordinator(std::function<void()> onComplete, QObject* parent = nullptr);

    Step step() const { return m_step; }
    // To the next page; on the last one it completes and stays where it is.
    void advance();

    // Held weakly: the window may go before the coordinator does.
    template <class Window> void setWindow(Window* window) {
        m_windowObject = window;
        m_window = window;
    }
    OnboardingWindowControl* window() const { return m_windowObject ? m_window : nullptr; }
    // Once the window is on its way out, nothing may bring it back.
    void forgetWindow();

    // Lowers the window so that a system prompt or the settings program can come in front.
    void beginSystemDialog();
    // Brings the assistant back above other windows once the user has dealt with the system.
    void endSystemDialog();

  Q_SIGNALS:
    void stepChanged();

  private:
    Step m_step = Step::welcome;
    std::function<void()> m_onComplete;
    QPointer<QObject> m_windowObject;
    OnboardingWindowControl* m_window = nullptr;
};

} // namespace vantrel
