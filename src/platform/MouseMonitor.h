#pragma once

#include <QtGlobal>

#include <functional>
#include <optional>

namespace vantrel {

// Global mouse events: those that go to other applications, never our own.
class MouseMonitor {
  public:
    using Token = quint64;
    enum EventMask : quint64 {
        MouseMoved = 1u << 5,
        LeftMouseDown = 1u << 1,
        RightMouseDown = 1u << 3,
    };

    virtual ~MouseMonitor() = default;

    // None when the platform refuses the monitor.
    virtual std::optional<Token> addGlobalMonitor(quint64 mask, std::function<void()> handler) = 0;
    virtual void removeMonitor(Token token) = 0;
};

} // namespace vantrel
