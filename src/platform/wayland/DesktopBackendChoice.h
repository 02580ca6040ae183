#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace vantrel {

// Which desktop backend a session calls for: a Wayland session on GNOME takes the GNOME Shell
// helper while Vantrel's extension answers as this version, and GNOME's Screenshot portal when it
// does not; a session with an X display only takes X11. The tray app and the command line both
// decide here.
struct DesktopBackendChoice {
    enum class Backend { x11, gnomeWayland, gnomePortal, unsupportedWayland, none };

    // What the backend is to be, and what the user must be told about how it came to be.
    struct Decision {
        Backend backend = Backend::none;
        // Why GNOME's helper is not used although the session is GNOME's; empty otherwise.
        QString notice;
    };

    // From the environment alone.
    static Backend choose(const QProcessEnvironment& environment);
    // When GNOME's helper does not answer: Xwayland's applications, if there is an X display.
    static Backend throughXwayland(const QProcessEnvironment& environment);
    // When the chosen backend's compositor helper does not answer (GNOME without Vantrel's
    // extension, or with one of another version): what a client can do on its own.
    static Backend withoutHelper(Backend chosen);
    // The environment's choice, asking GNOME's extension first where it is to be used; without
    // it, GNOME takes the portal and the notice says why.
    static Decision decide(const QProcessEnvironment& environment, const QString& appVersion);
};

} // namespace vantrel
