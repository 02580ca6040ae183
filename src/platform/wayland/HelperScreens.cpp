#include "HelperScreens.h"

namespace vantrel {

QList<X11Monitor> HelperScreens::monitors() const {
    QList<X11Monitor> monitors;
    const QList<CompositorMonitor> listed = m_helper.monitors();
    for (qsizetype index = 0; index < listed.size(); ++index)
        monitors.append({quint32(index + 1), listed[index].area, index == 0});
    return X11Translation::orderedMonitors(monitors);
}

DesktopSpace HelperScreens::space() const {
    return X11Translation::space(monitors(), 1.0);
}

QList<ScreenInfo> HelperScreens::screens() const {
    return X11Translation::screens(monitors(), 1.0, std::nullopt);
}

std::optional<ScreenInfo> HelperScreens::mainScreen() const {
    const QList<ScreenInfo> all = screens();
    if (all.isEmpty())
        return std::nullopt;
    return all.first();
}

QPointF HelperScreens::mouseLocation() const {
    const auto pointer = m_helper.pointer();
    if (!pointer)
        return {};
    const QList<X11Monitor> ordered = monitors();
    return X11Translation::bottomLeft(ordered, 1.0,
                                      X11Translation::space(ordered, 1.0).toPoints(*pointer));
}

} // namespace vantrel
