#include "DesktopBackendChoice.h"

namespace vantrel {

DesktopBackendChoice::Backend DesktopBackendChoice::choose(const QProcessEnvironment& environment) {
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    const bool x11 = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    if (wayland) {
        // XDG_CURRENT_DESKTOP is a colon-separated list, e.g. "ubuntu:GNOME".
        const QStringList desktops =
            environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(u':');
        if (desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive))
            return Backend::gnomeWayland;
        // Other compositors get their helpers later; until then Xwayland is the way in.
        return x11 ? Backend::x11 : Backend::unsupportedWayland;
    }
    return x11 ? Backend::x11 : Backend::none;
}

DesktopBackendChoice::Backend DesktopBackendChoice::withoutHelper(Backend chosen) {
    return chosen == Backend::gnomeWayland ? Backend::gnomePortal : chosen;
}

} // namespace vantrel
