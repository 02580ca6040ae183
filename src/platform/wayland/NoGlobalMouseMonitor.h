#pragma once

#include "../MouseMonitor.h"

namespace vantrel {

// Wayland gives no client the pointer's moves over other applications' windows: every global
// monitor is refused, as the seam allows.
class NoGlobalMouseMonitor final : public MouseMonitor {
  public:
    std::optional<Token> addGlobalMonitor(quint64 mask, std::function<void()> handler) override {
        Q_UNUSED(mask);
        Q_UNUSED(handler);
        return std::nullopt;
    }
    void removeMonitor(Token token) override { Q_UNUSED(token); }
};

} // namespace vantrel
