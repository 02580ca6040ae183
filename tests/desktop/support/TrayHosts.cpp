#include "TrayHosts.h"

#include <QDBusConnectionInterface>

#include <cstdlib>
#include <cstring>

namespace vantrel::testing {

namespace {
const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherConnection = QStringLiteral("vantrel-fake-watcher");
} // namespace

FakeStatusNotifierWatcher::FakeStatusNotifierWatcher()
    : m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, watcherConnection)) {
    m_registered = m_connection.isConnected() && m_connection.registerService(watcherName);
}

FakeStatusNotifierWatcher::~FakeStatusNotifierWatcher() {
    if (m_registered)
        m_connection.unregisterService(watcherName);
    QDBusConnection::disconnectFromBus(watcherConnection);
}

FakeXEmbedTray::FakeXEmbedTray() : m_connection(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(m_connection))
        return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    const xcb_window_t window = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const char* name = "_NET_SYSTEM_TRAY_S0";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, std::strlen(name), name), nullptr);
    if (!atom)
        return;
    xcb_set_selection_owner(m_connection, window, atom->atom, XCB_CURRENT_TIME);
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, atom->atom), nullptr);
    m_owns = owner && owner->owner == window;
    std::free(owner);
    std::free(atom);
}

FakeXEmbedTray::~FakeXEmbedTray() {
    xcb_disconnect(m_connection); // the selection goes with its owner's connection
}

} // namespace vantrel::testing
