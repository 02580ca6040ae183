#include "X11WindowServer.h"

#include "../clipboard/XcbReply.h"

#include "XcbConnection.h"

#include <QFile>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace vantrel {

namespace {

constexpr quint32 allDesktops = 0xFFFFFFFF;

struct Requests {
    xcb_get_window_attributes_cookie_t attributes;
    xcb_get_geometry_cookie_t geometry;
    xcb_translate_coordinates_cookie_t position;
    xcb_get_property_cookie_t desktop;
    xcb_get_property_cookie_t state;
    xcb_get_property_cookie_t type;
    xcb_get_property_cookie_t extents;
    xcb_get_property_cookie_t pid;
    xcb_get_property_cookie_t netName;
    xcb_get_property_cookie_t wmName;
    xcb_get_property_cookie_t wmClass;
};

template <typename Cookie, typename ReplyFunction>
auto take(xcb_connection_t* connection, ReplyFunction function, Cookie cookie) {
    xcb_generic_error_t* error = nullptr;
    auto answer = xcbReply(function(connection, cookie, &error));
    std::free(error);
    return answer;
}

std::optional<QString> nonEmpty(const std::optional<XcbConnection::Property>& property) {
    if (!property || property->format != 8)
        return std::nullopt;
    return property->text();
}

} // namespace

X11WindowServer::X11WindowServer(XcbConnection& connection) : m_connection(connection) {}

bool X11WindowServer::windowManagerRuns() const {
    // EWMH's check: the root names a window that names itself. A window manager that quit leaves
    // its root properties behind, but its check window goes with it.
    const auto check = m_connection.cardinal(m_connection.root(), "_NET_SUPPORTING_WM_CHECK");
    return check && *check != 0 &&
           m_connection.cardinal(*check, "_NET_SUPPORTING_WM_CHECK") == check;
}

QList<quint32> X11WindowServer::stackingFrontToBack(bool ewmh) const {
    const xcb_window_t root = m_connection.root();
    const auto stacking =
        ewmh ? m_connection.cardinals(root, "_NET_CLIENT_LIST_STACKING") : std::nullopt;
    if (stacking) {
        QList<quint32> ids = *stacking; // bottom to top
        std::reverse(ids.begin(), ids.end());
        return ids;
    }
    // No EWMH window manager: the root's children, top-most last.
    xcb_connection_t* connection = m_connection.get();
    auto tree = take(connection, xcb_query_tree_reply, xcb_query_tree(connection, root));
    QList<quint32> ids;
    if (!tree)
        return ids;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int index = xcb_query_tree_children_length(tree.get()) - 1; index >= 0; --index)
        ids.append(children[index]);
    return ids;
}

QList<std::optional<X11Window>> X11WindowServer::describe(const QList<quint32>& ids,
                                                          bool ewmh) const {
    xcb_connection_t* connection = m_connection.get();
    const xcb_window_t root = m_connection.root();
    const xcb_atom_t desktopAtom = m_connection.atom("_NET_WM_DESKTOP");
    const xcb_atom_t stateAtom = m_connection.atom("_NET_WM_STATE");
    const xcb_atom_t typeAtom = m_connection.atom("_NET_WM_WINDOW_TYPE");
    const xcb_atom_t extentsAtom = m_connection.atom("_NET_FRAME_EXTENTS");
    const xcb_atom_t pidAtom = m_connection.atom("_NET_WM_PID");
    const xcb_atom_t nameAtom = m_connection.atom("_NET_WM_NAME");
    const xcb_atom_t hiddenAtom = m_connection.atom("_NET_WM_STATE_HIDDEN");
    const xcb_atom_t aboveAtom = m_connection.atom("_NET_WM_STATE_ABOVE");
    const std::optional<quint32> currentDesktop =
        m_connection.cardinal(root, "_NET_CURRENT_DESKTOP");

    QList<Requests> requests;
    requests.reserve(ids.size());
    for (const quint32 id : ids) {
        requests.append({xcb_get_window_attributes(connection, id),
                         xcb_get_geometry(connection, id),
                         xcb_translate_coordinates(connection, id, root, 0, 0),
                         m_connection.requestProperty(id, desktopAtom, 1),
                         m_connection.requestProperty(id, stateAtom, 64),
                         m_connection.requestProperty(id, typeAtom, 64),
                         m_connection.requestProperty(id, extentsAtom, 4),
                         m_connection.requestProperty(id, pidAtom, 1),
                         m_connection.requestProperty(id, nameAtom, 1024),
                         m_connection.requestProperty(id, XCB_ATOM_WM_NAME, 1024),
                         m_connection.requestProperty(id, XCB_ATOM_WM_CLASS, 256)});
    }

    QList<std::optional<X11Window>> windows;
    windows.reserve(ids.size());
    for (qsizetype index = 0; index < ids.size(); ++index) {
        const Requests& request = requests[index];
        // Every reply is taken, even of a window already known to be gone.
        auto attributes = take(connection, xcb_get_window_attributes_reply, request.attributes);
        auto geometry = take(connection, xcb_get_geometry_reply, request.geometry);
        auto position = take(connection, xcb_translate_coordinates_reply, request.position);
        const auto desktop = m_connection.takeProperty(request.desktop);
        const auto state = m_connection.takeProperty(request.state);
        const auto type = m_connection.takeProperty(request.type);
        const auto extents = m_connection.takeProperty(request.extents);
        const auto pid = m_connection.takeProperty(request.pid);
        const auto netName = m_connection.takeProperty(request.netName);
        const auto wmName = m_connection.takeProperty(request.wmName);
        const auto wmClass = m_connection.takeProperty(request.wmClass);
        if (!attributes || !geometry || !position ||
            attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY) {
            windows.append(std::nullopt);
            continue;
        }

        X11Window window;
        window.id = ids[index];
        X11WindowKind kind;
        kind.overrideRedirect = attributes->override_redirect != 0;
        bool hidden = false;
        if (state && ewmh) {
            for (const quint32 atom : state->values32()) {
                hidden = hidden || atom == hiddenAtom;
                kind.above = kind.above || atom == aboveAtom;
            }
        }
        if (type) {
            QList<QByteArray> typeNames;
            for (const quint32 atom : type->values32())
                typeNames.append(m_connection.atomName(atom));
            kind.type = X11Translation::windowType(typeNames);
        }
        window.layer = X11Translation::layer(kind);
        window.desktop = kind.type == X11WindowKind::Type::Desktop;

        std::optional<quint32> windowDesktop;
        if (desktop && !desktop->values32().isEmpty())
            windowDesktop = desktop->values32().first();
        const bool otherDesktop = ewmh && currentDesktop && windowDesktop &&
                                  *windowDesktop != allDesktops &&
                                  *windowDesktop != *currentDesktop;
        window.onScreen =
            attributes->map_state == XCB_MAP_STATE_VIEWABLE && !otherDesktop && !hidden;

        std::optional<X11FrameExtents> frame;
        if (ewmh && extents && extents->values32().size() >= 4) {
            const QList<quint32> v = extents->values32();
            frame = X11FrameExtents{static_cast<int>(v[0]), static_cast<int>(v[1]),
                                    static_cast<int>(v[2]), static_cast<int>(v[3])};
        }
        const QSize clientSize(geometry->width, geometry->height);
        if (X11Translation::isHelperSize(clientSize)) {
            windows.append(std::nullopt);
            continue;
        }
        window.frame =
            X11Translation::frameRect(QRect(QPoint(position->dst_x, position->dst_y), clientSize),
                                      geometry->border_width, frame);

        if (pid && !pid->values32().isEmpty())
            window.pid = pid->values32().first();
        window.name = nonEmpty(netName);
        if (!window.name)
            window.name = nonEmpty(wmName);
        if (wmClass && wmClass->format == 8) {
            const QList<QByteArray> parts = wmClass->strings();
            window.instance = parts.value(0);
            window.className = parts.value(1);
        }
        windows.append(window);
    }
    return windows;
}

std::optional<QList<X11Window>> X11WindowServer::windows(bool includeOffScreen) const {
    if (m_connection.hasError())
        return std::nullopt;
    const bool ewmh = windowManagerRuns();
    QList<X11Window> listed;
    for (const auto& window : describe(stackingFrontToBack(ewmh), ewmh)) {
        if (window && (includeOffScreen || window->onScreen))
            listed.append(*window);
    }
    return listed;
}

std::optional<X11Window> X11WindowServer::window(quint32 id) const {
    if (m_connection.hasError())
        return std::nullopt;
    return describe({id}, windowManagerRuns()).first();
}

std::optional<quint32> X11WindowServer::activeWindow() const {
    const xcb_window_t root = m_connection.root();
    if (windowManagerRuns()) {
        const auto active = m_connection.cardinal(root, "_NET_ACTIVE_WINDOW");
        if (!active || *active == 0)
            return std::nullopt;
        return active;
    }
    // No window manager: the top-level window that holds the keyboard focus.
    xcb_connection_t* connection = m_connection.get();
    auto focus = take(connection, xcb_get_input_focus_reply, xcb_get_input_focus(connection));
    if (!focus || focus->focus == XCB_NONE || focus->focus == root ||
        focus->focus == xcb_window_t(XCB_INPUT_FOCUS_POINTER_ROOT))
        return std::nullopt;
    xcb_window_t window = focus->focus;
    for (int depth = 0; depth < 64; ++depth) {
        auto tree = take(connection, xcb_query_tree_reply, xcb_query_tree(connection, window));
        if (!tree)
            return std::nullopt;
        if (tree->parent == root || tree->parent == XCB_NONE)
            return window;
        window = tree->parent;
    }
    return std::nullopt;
}

std::optional<QList<WindowListEntry>> X11WindowServer::onScreenWindows() const {
    const auto listed = windows(false);
    if (!listed)
        return std::nullopt;
    const DesktopSpace space = m_connection.space();
    QList<WindowListEntry> entries;
    for (const X11Window& window : *listed) {
        if (window.desktop)
            continue;
        entries.append({window.layer, window.pid, space.toPoints(QRectF(window.frame)), window.name,
                        static_cast<qint64>(window.id)});
    }
    return entries;
}

std::optional<QString> X11WindowServer::applicationName(qint32 pid) const {
    if (const auto listed = windows(true)) {
        for (const X11Window& window : *listed) {
            if (window.pid == pid && !window.className.isEmpty())
                return QString::fromUtf8(window.className);
        }
    }
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (pid <= 0 || !comm.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString name = QString::fromUtf8(comm.readAll()).trimmed();
    return name.isEmpty() ? std::nullopt : std::optional(name);
}

qint32 X11WindowServer::ownPid() const {
    return static_cast<qint32>(::getpid());
}

std::optional<RunningApplication> X11WindowServer::frontmostApplication() const {
    const auto active = activeWindow();
    if (!active)
        return std::nullopt;
    const auto window = this->window(*active);
    if (!window || !window->pid)
        return std::nullopt;
    RunningApplication application;
    application.pid = static_cast<qint32>(*window->pid);
    if (!window->instance.isEmpty())
        application.bundleIdentifier = QString::fromUtf8(window->instance);
    if (!window->className.isEmpty())
        application.localizedName = QString::fromUtf8(window->className);
    else
        application.localizedName = window->name;
    return application;
}

} // namespace vantrel
