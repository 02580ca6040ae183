#include "RemoteKeyboard.h"

#include <QDBusObjectPath>

namespace vantrel::testing {

namespace {
const char* const remoteKeyboardBus = "remote-keyboard";
}

RemoteKeyboard::RemoteKeyboard()
    : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, remoteKeyboardBus)) {
    const QDBusMessage created = m_bus.call(QDBusMessage::createMethodCall(
        "org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
        "org.gnome.Mutter.RemoteDesktop", "CreateSession"));
    m_session = created.arguments().value(0).value<QDBusObjectPath>().path();
    if (!m_session.isEmpty())
        m_started = m_bus.call(sessionCall("Start")).type() == QDBusMessage::ReplyMessage;
}

RemoteKeyboard::~RemoteKeyboard() {
    if (m_started)
        m_bus.call(sessionCall("Stop"));
    QDBusConnection::disconnectFromBus(remoteKeyboardBus);
}

void RemoteKeyboard::chord(const QList<quint32>& keysyms) {
    for (quint32 keysym : keysyms)
        key(keysym, true);
    for (auto keysym = keysyms.rbegin(); keysym != keysyms.rend(); ++keysym)
        key(*keysym, false);
}

void RemoteKeyboard::movePointer(QPoint by) {
    QDBusMessage call = sessionCall("NotifyPointerMotionRelative");
    call << double(by.x()) << double(by.y());
    m_bus.call(call);
}

QDBusMessage RemoteKeyboard::sessionCall(const QString& method) const {
    return QDBusMessage::createMethodCall("org.gnome.Mutter.RemoteDesktop", m_session,
                                          "org.gnome.Mutter.RemoteDesktop.Session", method);
}

void RemoteKeyboard::key(quint32 keysym, bool pressed) {
    QDBusMessage call = sessionCall("NotifyKeyboardKeysym");
    call << keysym << pressed;
    m_bus.call(call);
}

} // namespace vantrel::testing
