#include "TrayHostProbe.h"

#include "XcbConnection.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

#include <cstdlib>

namespace vantrel {

namespace {
constexpr int trayProbeTimeoutMs = 2000;
}

TrayHostState TrayHostProbe::probe(const XcbConnection* connection) {
    TrayHostState state;
    QDBusConnection session = QDBusConnection::sessionBus();
    if (session.isConnected()) {
        QDBusMessage ask = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
        ask << QStringLiteral("org.kde.StatusNotifierWatcher");
        const QDBusReply<bool> owned = session.call(ask, QDBus::Block, trayProbeTimeoutMs);
        state.statusNotifierWatcher = owned.isValid() && owned.value();
    }
    if (connection) {
        // The screen number is the default screen of the connection: the one DISPLAY names.
        const QByteArray display = qgetenv("DISPLAY");
        const qsizetype dot = display.lastIndexOf('.');
        const qsizetype colon = display.lastIndexOf(':');
        const QByteArray screen = dot > colon ? display.mid(dot + 1) : QByteArray("0");
        const xcb_atom_t selection =
            connection->atom(QByteArray("_NET_SYSTEM_TRAY_S" + screen).constData());
        xcb_connection_t* xcb = connection->get();
        if (xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
                xcb, xcb_get_selection_owner(xcb, selection), nullptr)) {
            state.xembedTray = reply->owner != XCB_NONE;
            std::free(reply);
        }
    }
    return state;
}

} // namespace vantrel
