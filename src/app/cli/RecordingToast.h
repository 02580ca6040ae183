#pragma once

#include "input/ToastShowing.h"

#include <optional>

namespace vantrel {

// Keeps the toast's text instead of showing it, so the command line can report it.
class RecordingToast final : public ToastShowing {
  public:
    void show(const QString& text) override { m_lastText = text; }
    const std::optional<QString>& lastText() const { return m_lastText; }

  private:
    std::optional<QString> m_lastText;
};

} // namespace vantrel
