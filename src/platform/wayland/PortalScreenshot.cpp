#include "PortalScreenshot.h"

#include <QDBusMessage>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QUrl>
#include <QUuid>

namespace vantrel {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");

PlatformError portalError(const QString& description) {
    return {PortalScreenshot::errorDomain, 1, description};
}

// Where the portal's request object for this token will be: the answer can only be heard if the
// match is in place before the call.
QString requestPath(const QString& uniqueName, const QString& token) {
    QString sender = uniqueName.mid(1);
    sender.replace(u'.', u'_');
    return portalPath + QStringLiteral("/request/") + sender + u'/' + token;
}

} // namespace

const QString PortalScreenshot::errorDomain = QStringLiteral("PortalScreenshot");

PortalScreenshot::PortalScreenshot(QDBusConnection bus) : m_bus(std::move(bus)) {}

std::variant<QString, PlatformError> PortalScreenshot::pictureFile(uint response,
                                                                   const QVariantMap& results) {
    // 0: done, 1: the user (or the permission) said no, 2: anything else.
    if (response == 1)
        return portalError(QStringLiteral(
            "GNOME did not allow Vantrel to take screenshots (\"Allow Applications to Take "
            "Screenshots?\" was answered no). Vantrel's GNOME Shell extension needs no such "
            "permission: turn it on in Extensions, or run: gnome-extensions enable "
            "vantrel@quendale.com"));
    if (response != 0)
        return portalError(QStringLiteral("The Screenshot portal could not take the picture."));
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    if (!uri.isLocalFile() || uri.toLocalFile().isEmpty())
        return portalError(QStringLiteral("The Screenshot portal named no picture file."));
    return uri.toLocalFile();
}

std::variant<QImage, PlatformError> PortalScreenshot::take(int answerTimeoutMs) {
    m_answer.reset();
    const QString token =
        QStringLiteral("vantrel") + QUuid::createUuid().toString(QUuid::Id128).left(12);
    const QString request = requestPath(m_bus.baseService(), token);
    if (!m_bus.connect(portalService, request, QStringLiteral("org.freedesktop.portal.Request"),
                       QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap))))
        return portalError(QStringLiteral("The session bus cannot hear the Screenshot portal."));
    QDBusMessage call = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.portal.Screenshot"),
        QStringLiteral("Screenshot"));
    call << QString()
         << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("interactive"), false}};
    const QDBusMessage reply = m_bus.call(call);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_bus.disconnect(portalService, request, QStringLiteral("org.freedesktop.portal.Request"),
                         QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
        return portalError(QStringLiteral("The Screenshot portal does not answer: ") +
                           reply.errorMessage());
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    const QMetaObject::Connection answer =
        QObject::connect(this, &PortalScreenshot::answered, &loop, &QEventLoop::quit);
    deadline.start(answerTimeoutMs);
    if (!m_answer)
        loop.exec();
    QObject::disconnect(answer);
    m_bus.disconnect(portalService, request, QStringLiteral("org.freedesktop.portal.Request"),
                     QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    if (!m_answer)
        return portalError(QStringLiteral("The Screenshot portal did not answer in time."));
    const auto file = pictureFile(m_answer->first, m_answer->second);
    if (const auto* error = std::get_if<PlatformError>(&file))
        return *error;
    const QString path = std::get<QString>(file);
    const QImage picture(path);
    // Read or not, the file is the portal's copy of the screen: it goes.
    if (!QFile::remove(path) && QFile::exists(path))
        return portalError(QStringLiteral("The Screenshot portal's picture %1 could not be "
                                          "removed.")
                               .arg(path));
    if (picture.isNull())
        return portalError(QStringLiteral("The Screenshot portal's picture cannot be read."));
    return picture;
}

void PortalScreenshot::onResponse(uint response, const QVariantMap& results) {
    m_answer = std::pair(response, results);
    Q_EMIT answered();
}

} // namespace vantrel
