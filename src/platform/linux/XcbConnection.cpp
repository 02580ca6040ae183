#include "XcbConnection.h"

#include "../clipboard/XcbReply.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <xcb/randr.h>

#include <cstdlib>
#include <cstring>

namespace vantrel {

namespace {

QString connectionErrorText(int code) {
    switch (code) {
    case XCB_CONN_ERROR:
        return QStringLiteral("the connection failed (socket, pipe or stream error)");
    case XCB_CONN_CLOSED_EXT_NOTSUPPORTED:
        return QStringLiteral("an extension is not supported");
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
        return QStringLiteral("out of memory");
    case XCB_CONN_CLOSED_REQ_LEN_EXCEED:
        return QStringLiteral("a request was too long");
    case XCB_CONN_CLOSED_PARSE_ERR:
        return QStringLiteral("the display name could not be parsed");
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        return QStringLiteral("the display has no such screen");
    default:
        return QStringLiteral("error %1").arg(code);
    }
}

} // namespace

QList<quint32> XcbConnection::Property::values32() const {
    QList<quint32> values;
    if (format != 32)
        return values;
    const qsizetype count = data.size() / 4;
    values.resize(count);
    // An empty list has no buffer, and memcpy must not be handed a null pointer even for nothing.
    if (count > 0)
        std::memcpy(values.data(), data.constData(), static_cast<size_t>(count) * 4);
    return values;
}

QString XcbConnection::Property::text() const {
    QByteArray bytes = data;
    // A string property may end in a NUL; the text stops there.
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    return type == XCB_ATOM_STRING ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
}

QList<QByteArray> XcbConnection::Property::strings() const {
    QList<QByteArray> parts = data.split('\0');
    if (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    return parts;
}

std::unique_ptr<XcbConnection> XcbConnection::open(const QString& display, QString* error) {
    int screenNumber = 0;
    const QByteArray name = display.toLocal8Bit();
    xcb_connection_t* connection =
        xcb_connect(display.isEmpty() ? nullptr : name.constData(), &screenNumber);
    if (const int code = xcb_connection_has_error(connection)) {
        if (error != nullptr) {
            const QString shown = display.isEmpty() ? qEnvironmentVariable("DISPLAY") : display;
            *error = QStringLiteral("Cannot reach the X server at \"%1\": %2")
                         .arg(shown, connectionErrorText(code));
        }
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<XcbConnection>(new XcbConnection(connection, screenNumber));
}

XcbConnection::XcbConnection(xcb_connection_t* connection, int screenNumber)
    : m_connection(connection) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; it.rem > 0 && index < screenNumber; ++index)
        xcb_screen_next(&it);
    m_screen = it.data;
    m_root = m_screen->root;
}

XcbConnection::~XcbConnection() {
    if (m_aboutToBlock)
        QObject::disconnect(m_aboutToBlock);
    m_notifier.reset();
    xcb_disconnect(m_connection);
}

bool XcbConnection::hasError() const {
    return xcb_connection_has_error(m_connection) != 0;
}

void XcbConnection::flush() const {
    xcb_flush(m_connection);
}

xcb_atom_t XcbConnection::atom(const char* name) const {
    const QByteArray key(name);
    if (const auto found = m_atoms.find(key); found != m_atoms.end())
        return found->second;
    auto interned = xcbReply(xcb_intern_atom_reply(
        m_connection,
        xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(key.size()), key.constData()),
        nullptr));
    const xcb_atom_t atom = interned ? interned->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (atom != XCB_ATOM_NONE)
        m_atoms.emplace(key, atom);
    return atom;
}

QByteArray XcbConnection::atomName(xcb_atom_t atom) const {
    for (const auto& [name, known] : m_atoms) {
        if (known == atom)
            return name;
    }
    auto named = xcbReply(
        xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr));
    if (!named)
        return {};
    QByteArray name(xcb_get_atom_name_name(named.get()),
                    xcb_get_atom_name_name_length(named.get()));
    m_atoms.emplace(name, atom);
    return name;
}

xcb_get_property_cookie_t XcbConnection::requestProperty(xcb_window_t window, xcb_atom_t property,
                                                         quint32 maxLongs) const {
    return xcb_get_property(m_connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                            maxLongs);
}

std::optional<XcbConnection::Property>
XcbConnection::takeProperty(xcb_get_property_cookie_t cookie) const {
    xcb_generic_error_t* error = nullptr;
    auto answer = xcbReply(xcb_get_property_reply(m_connection, cookie, &error));
    std::free(error); // BadWindow: the window went away meanwhile
    if (!answer || answer->type == XCB_ATOM_NONE)
        return std::nullopt;
    const int length = xcb_get_property_value_length(answer.get());
    return Property{
        answer->type, answer->format,
        QByteArray(static_cast<const char*>(xcb_get_property_value(answer.get())), length)};
}

std::optional<XcbConnection::Property> XcbConnection::property(xcb_window_t window,
                                                               xcb_atom_t property) const {
    if (property == XCB_ATOM_NONE)
        return std::nullopt;
    return takeProperty(requestProperty(window, property));
}

std::optional<QList<quint32>> XcbConnection::cardinals(xcb_window_t window,
                                                       const char* name) const {
    const auto value = property(window, atom(name));
    if (!value || value->format != 32)
        return std::nullopt;
    return value->values32();
}

std::optional<quint32> XcbConnection::cardinal(xcb_window_t window, const char* name) const {
    const auto values = cardinals(window, name);
    if (!values || values->isEmpty())
        return std::nullopt;
    return values->first();
}

QList<X11Monitor> XcbConnection::monitors() const {
    QList<X11Monitor> monitors;
    if (!m_hasMonitors) {
        const xcb_query_extension_reply_t* randr =
            xcb_get_extension_data(m_connection, &xcb_randr_id);
        m_hasMonitors = false;
        if (randr != nullptr && randr->present) {
            auto version = xcbReply(xcb_randr_query_version_reply(
                m_connection, xcb_randr_query_version(m_connection, 1, 5), nullptr));
            m_hasMonitors = version && (version->major_version > 1 || version->minor_version >= 5);
        }
    }
    if (*m_hasMonitors) {
        auto list = xcbReply(xcb_randr_get_monitors_reply(
            m_connection, xcb_randr_get_monitors(m_connection, m_root, 1), nullptr));
        if (list) {
            quint32 position = 0;
            for (auto it = xcb_randr_get_monitors_monitors_iterator(list.get()); it.rem > 0;
                 xcb_randr_monitor_info_next(&it)) {
                ++position;
                const xcb_randr_monitor_info_t* info = it.data;
                if (info->width == 0 || info->height == 0)
                    continue;
                const int outputs = xcb_randr_monitor_info_outputs_length(info);
                const quint32 id = outputs > 0 ? xcb_randr_monitor_info_outputs(info)[0] : position;
                monitors.append(
                    {id, QRect(info->x, info->y, info->width, info->height), info->primary != 0});
            }
        }
    }
    if (monitors.isEmpty())
        monitors.append(
            {1, QRect(0, 0, m_screen->width_in_pixels, m_screen->height_in_pixels), true});
    return X11Translation::orderedMonitors(monitors);
}

double XcbConnection::scale() const {
    const auto resources = property(m_root, XCB_ATOM_RESOURCE_MANAGER);
    return resources ? X11Translation::scaleFromResources(resources->data) : 1.0;
}

DesktopSpace XcbConnection::space() const {
    return X11Translation::space(monitors(), scale());
}

XcbConnection::ListenerToken XcbConnection::addEventListener(Listener listener) {
    ensurePump();
    const ListenerToken token = m_nextToken++;
    m_listeners.emplace(token, std::move(listener));
    return token;
}

void XcbConnection::removeEventListener(ListenerToken token) {
    m_listeners.erase(token);
}

void XcbConnection::ensurePump() {
    if (m_notifier || QCoreApplication::instance() == nullptr)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection),
                                                   QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { dispatchPending(); });
    // Events read while a reply was awaited sit in xcb's queue, where the socket does not tell.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        m_aboutToBlock = QObject::connect(
            dispatcher, &QAbstractEventDispatcher::aboutToBlock, m_notifier.get(), [this] {
                while (xcb_generic_event_t* event = xcb_poll_for_queued_event(m_connection))
                    dispatch(event);
                xcb_flush(m_connection);
            });
    }
}

void XcbConnection::dispatchPending() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
        dispatch(event);
    if (hasError() && m_notifier)
        m_notifier->setEnabled(false);
}

void XcbConnection::dispatch(xcb_generic_event_t* event) {
    // A listener may add or remove listeners: the ones present now are told.
    const auto listeners = m_listeners;
    for (const auto& [token, listener] : listeners) {
        if (m_listeners.count(token) != 0)
            listener(event);
    }
    std::free(event);
}

} // namespace vantrel
