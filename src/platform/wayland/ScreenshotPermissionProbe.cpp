#include "ScreenshotPermissionProbe.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>

namespace vantrel {

namespace {

constexpr int permissionStoreTimeoutMs = 2000;

} // namespace

ScreenshotPermissionState::Answer
ScreenshotPermissionProbe::answer(const QMap<QString, QStringList>& entry) {
    using Answer = ScreenshotPermissionState::Answer;
    const auto found = entry.constFind(QString());
    if (found == entry.cend() || found->isEmpty())
        return Answer::notAsked;
    return found->first() == u"yes" ? Answer::granted : Answer::denied;
}

ScreenshotPermissionState ScreenshotPermissionProbe::probe() {
    using Answer = ScreenshotPermissionState::Answer;
    QDBusMessage lookup = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.impl.portal.PermissionStore"),
        QStringLiteral("/org/freedesktop/impl/portal/PermissionStore"),
        QStringLiteral("org.freedesktop.impl.portal.PermissionStore"), QStringLiteral("Lookup"));
    lookup << QStringLiteral("screenshot") << QStringLiteral("screenshot");
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(lookup, QDBus::Block, permissionStoreTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        // Nothing stored yet: nobody has been asked.
        if (reply.errorName() == u"org.freedesktop.portal.Error.NotFound")
            return {Answer::notAsked, {}};
        return {Answer::unknown, reply.errorMessage()};
    }
    QMap<QString, QStringList> entry;
    reply.arguments().value(0).value<QDBusArgument>() >> entry;
    return {answer(entry), {}};
}

} // namespace vantrel
