#include "X11Screens.h"

#include "X11WindowServer.h"
#include "XcbConnection.h"

#include <cstdlib>
#include <memory>

namespace vantrel {

X11Screens::X11Screens(XcbConnection& connection) : m_connection(connection) {}

std::optional<QRect> X11Screens::workArea() const {
    const xcb_window_t root = m_connection.root();
    const auto areas = m_connection.cardinals(root, "_NET_WORKAREA");
    if (!areas)
        return std::nullopt;
    return X11Translation::workArea(
        *areas, m_connection.cardinal(root, "_NET_CURRENT_DESKTOP").value_or(0));
}

QList<ScreenInfo> X11Screens::screens() const {
    if (m_connection.hasError())
        return {};
    return X11Translation::screens(m_connection.monitors(), m_connection.scale(), workArea());
}

std::optional<ScreenInfo> X11Screens::mainScreen() const {
    if (m_connection.hasError())
        return std::nullopt;
    const QList<X11Monitor> monitors = m_connection.monitors();
    const QList<ScreenInfo> all =
        X11Translation::screens(monitors, m_connection.scale(), workArea());
    if (all.isEmpty())
        return std::nullopt;
    const X11WindowServer windowServer(m_connection);
    const auto active = windowServer.activeWindow();
    const auto window = active ? windowServer.window(*active) : std::nullopt;
    if (!window)
        return all.first();
    return all[X11Translation::monitorWithMost(monitors, window->frame)];
}

QPointF X11Screens::mouseLocation() const {
    xcb_connection_t* connection = m_connection.get();
    std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> pointer(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, m_connection.root()),
                                nullptr),
        &std::free);
    if (!pointer)
        return {};
    const QList<X11Monitor> monitors = m_connection.monitors();
    const double scale = m_connection.scale();
    const QPointF topLeft =
        X11Translation::space(monitors, scale).toPoints(QPointF(pointer->root_x, pointer->root_y));
    return X11Translation::bottomLeft(monitors, scale, topLeft);
}

} // namespace vantrel
