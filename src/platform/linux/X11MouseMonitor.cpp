#include "X11MouseMonitor.h"

#include "XcbConnection.h"

#include <xcb/xinput.h>

#include <cstdlib>
#include <memory>

namespace vantrel {

namespace {

constexpr quint8 leftButton = 1;
constexpr quint8 rightButton = 3;

} // namespace

X11MouseMonitor::X11MouseMonitor(XcbConnection& connection) : m_connection(connection) {}

X11MouseMonitor::~X11MouseMonitor() {
    if (m_selected)
        select(false);
    if (m_listener)
        m_connection.removeEventListener(*m_listener);
}

bool X11MouseMonitor::ensureXInput() {
    if (m_probed)
        return m_opcode.has_value();
    m_probed = true;
    xcb_connection_t* connection = m_connection.get();
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_input_id);
    if (extension == nullptr || !extension->present)
        return false;
    // The server only sends XInput 2 events to a client that said which version it speaks.
    std::unique_ptr<xcb_input_xi_query_version_reply_t, decltype(&std::free)> version(
        xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 0),
                                         nullptr),
        &std::free);
    if (!version || version->major_version < 2)
        return false;
    m_opcode = extension->major_opcode;
    m_listener =
        m_connection.addEventListener([this](const xcb_generic_event_t* event) { handle(event); });
    return true;
}

void X11MouseMonitor::select(bool events) {
    struct {
        xcb_input_event_mask_t header;
        uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           events ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION |
                             XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS)
                  : 0u};
    xcb_input_xi_select_events(m_connection.get(), m_connection.root(), 1, &mask.header);
    m_connection.flush();
    m_selected = events;
}

std::optional<MouseMonitor::Token>
X11MouseMonitor::addGlobalMonitor(quint64 mask, std::function<void()> handler) {
    if (!ensureXInput())
        return std::nullopt;
    const Token token = m_nextToken++;
    m_monitors.append({token, mask, std::move(handler)});
    if (!m_selected)
        select(true);
    return token;
}

void X11MouseMonitor::removeMonitor(Token token) {
    m_monitors.removeIf([token](const Monitor& monitor) { return monitor.token == token; });
    if (m_monitors.isEmpty() && m_selected)
        select(false);
}

void X11MouseMonitor::handle(const void* raw) {
    const auto* event = static_cast<const xcb_ge_generic_event_t*>(raw);
    if ((event->response_type & 0x7f) != XCB_GE_GENERIC || !m_opcode ||
        event->extension != *m_opcode)
        return;
    if (event->event_type == XCB_INPUT_RAW_MOTION) {
        post(MouseMoved);
    } else if (event->event_type == XCB_INPUT_RAW_BUTTON_PRESS) {
        const auto* press = static_cast<const xcb_input_raw_button_press_event_t*>(raw);
        if (press->detail == leftButton)
            post(LeftMouseDown);
        else if (press->detail == rightButton)
            post(RightMouseDown);
    }
}

void X11MouseMonitor::post(quint64 event) {
    // A handler may add or remove monitors; the ones present now are told.
    const QList<Monitor> monitors = m_monitors;
    for (const Monitor& monitor : monitors) {
        if (monitor.mask & event)
            monitor.handler();
    }
}

} // namespace vantrel
