#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QList>
#include <QString>

namespace vantrel::testing {

// Keys typed through the compositor's remote-desktop interface, as a keyboard would: the session
// lives as long as the connection that made it, so it has one of its own. The seat has a keyboard
// from the session's first key until the session ends; before, it has none.
class RemoteKeyboard {
  public:
    RemoteKeyboard()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "remote-keyboard")) {
        const QDBusMessage created = m_bus.call(QDBusMessage::createMethodCall(
            "org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
            "org.gnome.Mutter.RemoteDesktop", "CreateSession"));
        m_session = created.arguments().value(0).value<QDBusObjectPath>().path();
        if (!m_session.isEmpty())
            m_started = m_bus.call(sessionCall("Start")).type() == QDBusMessage::ReplyMessage;
    }
    ~RemoteKeyboard() {
        if (m_started)
            m_bus.call(sessionCall("Stop"));
        QDBusConnection::disconnectFromBus("remote-keyboard");
    }
    RemoteKeyboard(const RemoteKeyboard&) = delete;
    RemoteKeyboard& operator=(const RemoteKeyboard&) = delete;

    bool started() const { return m_started; }
    // Presses the keys in order, then lets go of them in reverse.
    void chord(const QList<quint32>& keysyms) {
        for (quint32 keysym : keysyms)
            key(keysym, true);
        for (auto keysym = keysyms.rbegin(); keysym != keysyms.rend(); ++keysym)
            key(*keysym, false);
    }
    // A Shift press alone: gives the seat its keyboard and types nothing.
    void plugIn() { chord({0xffe1}); }

  private:
    QDBusMessage sessionCall(const QString& method) const {
        return QDBusMessage::createMethodCall("org.gnome.Mutter.RemoteDesktop", m_session,
                                              "org.gnome.Mutter.RemoteDesktop.Session", method);
    }
    void key(quint32 keysym, bool pressed) {
        QDBusMessage call = sessionCall("NotifyKeyboardKeysym");
        call << keysym << pressed;
        m_bus.call(call);
    }

    QDBusConnection m_bus;
    QString m_session;
    bool m_started = false;
};

} // namespace vantrel::testing
