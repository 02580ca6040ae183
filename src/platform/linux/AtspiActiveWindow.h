#pragma once

#include <QString>

#include <optional>

namespace vantrel {

// The window AT-SPI marks active: the one with the keyboard, the front window as far as a Wayland
// client can tell without the compositor's help.
struct AtspiActiveWindow {
    qint64 pid = 0;
    QString title;

    // None when no application on the accessibility bus has an active window.
    static std::optional<AtspiActiveWindow> find();
};

} // namespace vantrel
