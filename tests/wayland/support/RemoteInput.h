#pragma once

#include "platform/CompositorHelper.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QPoint>
#include <QString>

namespace vantrel::testing {

// Keys and the pointer driven through the compositor's remote-desktop interface, as a keyboard
// and a mouse would: the session lives as long as the connection that made it, so it has one of
// its own.
class RemoteInput {
  public:
    RemoteInput();
    ~RemoteInput();
    RemoteInput(const RemoteInput&) = delete;
    RemoteInput& operator=(const RemoteInput&) = delete;

    bool started() const { return m_started; }
    // Presses the keys in order, then lets go of them in reverse.
    void chord(const QList<quint32>& keysyms);
    // A Shift press alone: gives the seat its keyboard (it has none before the session's first
    // key) and types nothing.
    void plugIn() { chord({0xffe1}); }
    // Moves the pointer until the compositor puts it there; whether it got there. Absolute
    // motion needs a screen-cast stream, so the moves are relative to where the helper says it is.
    bool moveTo(CompositorHelper& helper, QPoint target);
    void leftButton(bool pressed);
    // The left button pressed at one point, moved through the middle, let go at the other;
    // whether the pointer got everywhere.
    bool drag(CompositorHelper& helper, QPoint from, QPoint to);

  private:
    QDBusMessage sessionCall(const QString& method) const;
    void key(quint32 keysym, bool pressed);

    QDBusConnection m_bus;
    QString m_session;
    bool m_started = false;
};

} // namespace vantrel::testing
