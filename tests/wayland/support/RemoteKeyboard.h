#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QPoint>
#include <QString>

namespace vantrel::testing {

// Keys typed (and the pointer moved) through the compositor's remote-desktop interface, as a
// keyboard would: the session
// lives as long as the connection that made it, so it has one of its own.
class RemoteKeyboard {
  public:
    static constexpr quint32 controlL = 0xffe3, altL = 0xffe9, keyC = 0x63, keyX = 0x78;

    RemoteKeyboard();
    ~RemoteKeyboard();
    RemoteKeyboard(const RemoteKeyboard&) = delete;
    RemoteKeyboard& operator=(const RemoteKeyboard&) = delete;

    bool started() const { return m_started; }
    // Presses the keys in order, then lets go of them in reverse.
    void chord(const QList<quint32>& keysyms);
    // Moves the pointer by this much, as a mouse would (no absolute move without a screen cast).
    void movePointer(QPoint by);

  private:
    QDBusMessage sessionCall(const QString& method) const;
    void key(quint32 keysym, bool pressed);

    QDBusConnection m_bus;
    QString m_session;
    bool m_started = false;
};

} // namespace vantrel::testing
