#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace vantrel {

// Which desktop backend a session calls for: a Wayland session on GNOME takes the GNOME Shell
// helper while Vantrel's extension answers as this version, a session with an X display only
// takes X11. The tray app and the command line both decide here.
struct DesktopBackendChoice {
    enum class Backend { x11, gnomeWayland, unsupportedWayland, none };

    // What the backend is to be, and what the user must be told about how it came to be.
    struct Decision {
        Backend backend = Backend::none;
        // Why GNOME's helper is not used although the session is GNOME's; empty otherwise.
        QString notice;
    };

    // From the environment alone.
    static Backend choose(const QProcessEnvironment& environment);
    // When GNOME's helper does not answer: Xwayland's applications, if there is an X display.
    static Backend withoutHelper(const QProcessEnvironment& environment);
    // The environment's choice, asking GNOME's extension first where it is to be used.
    static Decision decide(const QProcessEnvironment& environment, const QString& appVersion);
};

} // namespace vantrel
