#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace vantrel {

// Which desktop backend a session calls for: from its environment, a Wayland session on GNOME
// takes the GNOME Shell helper, a session with an X display only takes X11; then GNOME without the
// helper takes the Screenshot portal.
struct DesktopBackendChoice {
    enum class Backend { x11, gnomeWayland, gnomePortal, unsupportedWayland, none };

    static Backend choose(const QProcessEnvironment& environment);
    // When the chosen backend's compositor helper does not answer (GNOME without Vantrel's
    // extension, or with one of another version): what a client can do on its own.
    static Backend withoutHelper(Backend chosen);
};

} // namespace vantrel
