#include "XcbDesktop.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace vantrel::testing {

namespace {

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPtr<Reply> own(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

} // namespace

XcbDesktop::XcbDesktop() {
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection))
        return;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int index = 0; index < screenNumber; ++index)
        xcb_screen_next(&screens);
    m_root = screens.data->root;
}

XcbDesktop::~XcbDesktop() {
    xcb_disconnect(m_connection);
}

bool XcbDesktop::isConnected() const {
    return !xcb_connection_has_error(m_connection);
}

quint32 XcbDesktop::atom(const char* name) const {
    auto reply = own(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, std::strlen(name), name), nullptr));
    return reply ? reply->atom : quint32(XCB_ATOM_NONE);
}

QByteArray XcbDesktop::property(quint32 window, quint32 property, quint32 type) const {
    auto reply = own(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, property, type, 0, 1 << 16),
        nullptr));
    if (!reply || reply->type != type)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

std::optional<XcbDesktop::Window> XcbDesktop::describe(quint32 window) const {
    auto attributes = own(xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
    auto geometry =
        own(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    auto origin = own(xcb_translate_coordinates_reply(
        m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr));
    if (!attributes || !geometry || !origin)
        return std::nullopt;
    Window described;
    described.id = window;
    const QByteArray pid = property(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    if (pid.size() == sizeof(quint32))
        described.pid = *reinterpret_cast<const quint32*>(pid.constData());
    described.title =
        QString::fromUtf8(property(window, atom("_NET_WM_NAME"), atom("UTF8_STRING")));
    described.geometry = QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    described.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    return described;
}

QList<XcbDesktop::Window> XcbDesktop::clientWindows() const {
    QList<Window> windows;
    if (!isConnected())
        return windows;
    const QByteArray ids = property(m_root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    const auto* first = reinterpret_cast<const quint32*>(ids.constData());
    for (qsizetype index = 0; index < ids.size() / qsizetype(sizeof(quint32)); ++index) {
        if (const std::optional<Window> window = describe(first[index]))
            windows.append(*window);
    }
    return windows;
}

std::optional<QColor> XcbDesktop::pixel(QPoint rootPoint) const {
    if (!isConnected())
        return std::nullopt;
    auto image =
        own(xcb_get_image_reply(m_connection,
                                xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root,
                                              rootPoint.x(), rootPoint.y(), 1, 1, ~0u),
                                nullptr));
    // The private desktop is 24-bit TrueColor in 32-bit little-endian pixels: B, G, R, pad.
    if (!image || image->depth != 24 || xcb_get_image_data_length(image.get()) < 4 ||
        xcb_get_setup(m_connection)->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return std::nullopt;
    const uint8_t* bytes = xcb_get_image_data(image.get());
    return QColor(bytes[2], bytes[1], bytes[0]);
}

} // namespace vantrel::testing
