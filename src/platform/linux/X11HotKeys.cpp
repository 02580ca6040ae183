#include "X11HotKeys.h"

#include "X11Translation.h"
#include "XcbConnection.h"

#include <algorithm>
#include <cstdlib>

namespace vantrel {

X11HotKeys::X11HotKeys(XcbConnection& connection) : m_connection(connection) {
    m_listener =
        m_connection.addEventListener([this](const xcb_generic_event_t* event) { handle(event); });
}

X11HotKeys::~X11HotKeys() {
    for (const HotKey& key : m_hotKeys)
        ungrab(key, 4);
    m_connection.flush();
    if (m_listener)
        m_connection.removeEventListener(*m_listener);
}

bool X11HotKeys::installHandler(Handler handler) {
    // Listening starts here rather than at construction, when the event loop may not exist yet.
    if (!m_listener) {
        m_listener = m_connection.addEventListener(
            [this](const xcb_generic_event_t* event) { handle(event); });
    }
    m_handler = std::move(handler);
    return true;
}

void X11HotKeys::removeHandler() {
    m_handler = nullptr;
}

bool X11HotKeys::registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) {
    const auto keycode = X11Translation::keycode(keyCode);
    const auto mask = X11Translation::modifierMask(modifiers);
    if (!keycode || !mask)
        return false;
    const HotKey key{id, *keycode, *mask};
    const bool taken = std::any_of(m_hotKeys.cbegin(), m_hotKeys.cend(), [&](const HotKey& other) {
        return other.keycode == key.keycode && other.modifiers == key.modifiers;
    });
    if (taken)
        return false;

    xcb_connection_t* connection = m_connection.get();
    const QList<quint16> variants = X11Translation::grabModifierVariants(key.modifiers);
    QList<xcb_void_cookie_t> cookies;
    for (const quint16 variant : variants) {
        cookies.append(xcb_grab_key_checked(connection, 1, m_connection.root(), variant,
                                            key.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    bool refused = false;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
            refused = true; // BadAccess: another client holds the combination
            std::free(error);
        }
    }
    if (refused) {
        // Every variant is let go: the ones after a refusal may have been granted too.
        ungrab(key, variants.size());
        m_connection.flush();
        return false;
    }
    m_hotKeys.append(key);
    return true;
}

void X11HotKeys::unregisterHotKey(quint32 id) {
    for (const HotKey& key : m_hotKeys) {
        if (key.id == id)
            ungrab(key, 4);
    }
    m_hotKeys.removeIf([id](const HotKey& key) { return key.id == id; });
    m_connection.flush();
}

void X11HotKeys::ungrab(const HotKey& key, qsizetype variants) {
    const QList<quint16> all = X11Translation::grabModifierVariants(key.modifiers);
    for (qsizetype index = 0; index < variants && index < all.size(); ++index)
        xcb_ungrab_key(m_connection.get(), key.keycode, m_connection.root(), all[index]);
}

void X11HotKeys::handle(const void* raw) {
    const auto* event = static_cast<const xcb_key_press_event_t*>(raw);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return;
    const quint16 modifiers = X11Translation::significantModifiers(event->state);
    for (const HotKey& key : m_hotKeys) {
        if (key.keycode == event->detail && key.modifiers == modifiers && m_handler) {
            // The handler may remove itself while it runs.
            const Handler handler = m_handler;
            handler(key.id);
            return;
        }
    }
}

} // namespace vantrel
