#include "AccessibilityBusProbe.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

namespace vantrel {

namespace {
constexpr int busProbeTimeoutMs = 2000;
}

AccessibilityBusState AccessibilityBusProbe::probe() {
    AccessibilityBusState state;
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) {
        state.error = session.lastError().message();
        if (state.error.isEmpty())
            state.error = QStringLiteral("DBUS_SESSION_BUS_ADDRESS names no running bus");
        return state;
    }
    state.sessionBus = true;
    const QString service = QStringLiteral("org.a11y.Bus");
    const QString path = QStringLiteral("/org/a11y/bus");
    const QDBusReply<QString> address = session.call(
        QDBusMessage::createMethodCall(service, path, service, QStringLiteral("GetAddress")),
        QDBus::Block, busProbeTimeoutMs);
    if (!address.isValid() || address.value().isEmpty()) {
        state.error =
            address.isValid() ? QStringLiteral("it gave no address") : address.error().message();
        return state;
    }
    state.reachable = true;
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled");
    const QDBusReply<QDBusVariant> enabled = session.call(get, QDBus::Block, busProbeTimeoutMs);
    if (enabled.isValid())
        state.enabled = enabled.value().variant().toBool();
    else
        state.error = enabled.error().message();
    return state;
}

} // namespace vantrel
