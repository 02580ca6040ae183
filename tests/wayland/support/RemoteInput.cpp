#include "RemoteInput.h"

#include "support/WaitUntil.h"

#include <QDBusObjectPath>

namespace vantrel::testing {

namespace {

const QString remoteInputConnection = QStringLiteral("remote-input");
constexpr qint32 buttonLeft = 0x110; // BTN_LEFT

} // namespace

RemoteInput::RemoteInput()
    : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, remoteInputConnection)) {
    const QDBusMessage created = m_bus.call(QDBusMessage::createMethodCall(
        "org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
        "org.gnome.Mutter.RemoteDesktop", "CreateSession"));
    m_session = created.arguments().value(0).value<QDBusObjectPath>().path();
    if (!m_session.isEmpty())
        m_started = m_bus.call(sessionCall("Start")).type() == QDBusMessage::ReplyMessage;
}

RemoteInput::~RemoteInput() {
    if (m_started)
        m_bus.call(sessionCall("Stop"));
    QDBusConnection::disconnectFromBus(remoteInputConnection);
}

void RemoteInput::chord(const QList<quint32>& keysyms) {
    for (quint32 keysym : keysyms)
        key(keysym, true);
    for (auto keysym = keysyms.rbegin(); keysym != keysyms.rend(); ++keysym)
        key(*keysym, false);
}

bool RemoteInput::moveTo(CompositorHelper& helper, QPoint target) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        const std::optional<QPoint> now = helper.pointer();
        if (!now)
            return false;
        if (*now == target)
            return true;
        QDBusMessage call = sessionCall("NotifyPointerMotionRelative");
        call << double(target.x() - now->x()) << double(target.y() - now->y());
        m_bus.call(call);
        // The helper answers from the shell's own thread, after the motion is processed.
        waitUntil([&] { return helper.pointer() != now; }, std::chrono::milliseconds(2000));
    }
    return helper.pointer() == target;
}

void RemoteInput::leftButton(bool pressed) {
    QDBusMessage call = sessionCall("NotifyPointerButton");
    call << buttonLeft << pressed;
    m_bus.call(call);
}

bool RemoteInput::drag(CompositorHelper& helper, QPoint from, QPoint to) {
    if (!moveTo(helper, from))
        return false;
    leftButton(true);
    const bool moved = moveTo(helper, (from + to) / 2) && moveTo(helper, to);
    leftButton(false);
    return moved;
}

QDBusMessage RemoteInput::sessionCall(const QString& method) const {
    return QDBusMessage::createMethodCall("org.gnome.Mutter.RemoteDesktop", m_session,
                                          "org.gnome.Mutter.RemoteDesktop.Session", method);
}

void RemoteInput::key(quint32 keysym, bool pressed) {
    QDBusMessage call = sessionCall("NotifyKeyboardKeysym");
    call << keysym << pressed;
    m_bus.call(call);
}

} // namespace vantrel::testing
