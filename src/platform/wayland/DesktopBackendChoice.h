#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace vantrel {

// Which desktop backend a session calls for, from its environment alone: a Wayland session on
// GNOME takes the GNOME Shell helper, a session with an X display only takes X11.
struct DesktopBackendChoice {
    enum class Backend { x11, gnomeWayland, unsupportedWayland, none };

    static Backend choose(const QProcessEnvironment& environment);
};

} // namespace vantrel
