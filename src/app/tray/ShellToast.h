#pragma once

#include "input/ToastShowing.h"
#include "platform/CompositorHelper.h"

namespace vantrel {

// The toast drawn by the desktop shell, where our own window could not be placed under the
// pointer (Wayland gives a client no say in where its windows go).
class ShellToast final : public ToastShowing {
  public:
    explicit ShellToast(CompositorHelper& shell) : m_shell(shell) {}

    void show(const QString& text) override {
        // A toast the shell could not show is only a missed confirmation; the shell says why.
        m_shell.showToast(text);
    }

  private:
    CompositorHelper& m_shell;
};

} // namespace vantrel
