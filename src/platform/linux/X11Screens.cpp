#include "X11Screens.h"

#include "X11WindowServer.h"
#include "XcbConnection.h"

#include <cstdlib>
#include <memory>

namespace vantrel {

namespace {

qint64 overlap(const QRect& a, const QRect& b) {
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : qint64(both.width()) * both.height();
}

} // namespace

X11Screens::X11Screens(XcbConnection& connection) : m_connection(connection) {}

std::optional<QRect> X11Screens::workArea() const {
    const xcb_window_t root = m_connection.root();
    const auto area = m_connection.cardinals(root, "_NET_WORKAREA");
    if (!area || area->size() < 4)
        return std::nullopt;
    // Four numbers per desktop; the current desktop's apply.
    const qsizetype desktop = m_connection.cardinal(root, "_NET_CURRENT_DESKTOP").value_or(0);
    const qsizetype at = (desktop + 1) * 4 <= area->size() ? desktop * 4 : 0;
    const QRect rect(static_cast<qint32>((*area)[at]), static_cast<qint32>((*area)[at + 1]),
                     static_cast<qint32>((*area)[at + 2]), static_cast<qint32>((*area)[at + 3]));
    return rect.isEmpty() ? std::nullopt : std::optional(rect);
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
    // The monitor with the largest share of the window; ties keep the earlier one.
    qsizetype best = 0;
    qint64 bestArea = 0;
    for (qsizetype index = 0; index < monitors.size(); ++index) {
        const qint64 area = overlap(monitors[index].pixels, window->frame);
        if (area > bestArea) {
            best = index;
            bestArea = area;
        }
    }
    return all[best];
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
