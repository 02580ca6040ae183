#include "DesktopBackendChoice.h"

#include "GnomeShellHelper.h"

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
        return throughXwayland(environment);
    }
    return x11 ? Backend::x11 : Backend::none;
}

DesktopBackendChoice::Backend
DesktopBackendChoice::throughXwayland(const QProcessEnvironment& environment) {
    return environment.value(QStringLiteral("DISPLAY")).isEmpty() ? Backend::unsupportedWayland
                                                                  : Backend::x11;
}

DesktopBackendChoice::Backend DesktopBackendChoice::withoutHelper(Backend chosen) {
    return chosen == Backend::gnomeWayland ? Backend::gnomePortal : chosen;
}

DesktopBackendChoice::Decision DesktopBackendChoice::decide(const QProcessEnvironment& environment,
                                                            const QString& appVersion) {
    const Backend backend = choose(environment);
    if (backend != Backend::gnomeWayland)
        return {backend, {}};
    const std::optional<QString> problem =
        GnomeShellHelper::problem(GnomeShellHelper::probe(), appVersion);
    if (!problem)
        return {backend, {}};
    return {withoutHelper(backend), *problem};
}

} // namespace vantrel
