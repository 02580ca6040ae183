#pragma once

namespace vantrel {

// What the setup assistant's logic may do with its window, whatever shows it.
class OnboardingWindowControl {
  public:
    virtual ~OnboardingWindowControl() = default;

    // Floating keeps the window above others; a system prompt or the settings program needs it
    // lowered to come in front.
    virtual void setFloating(bool floating) = 0;
    // Shows the window if hidden, raises it and gives it the keyboard.
    virtual void bringToFront() = 0;
};

} // namespace vantrel
