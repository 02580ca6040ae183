#include "SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace vantrel {

namespace {

const QString lockName = QStringLiteral("vantrel.lock");
const QString socketName = QStringLiteral("vantrel.socket");
const QByteArray activationRequest = QByteArrayLiteral("activate\n");
// Followed by the arguments as one line of JSON.
const QByteArray captureRequestPrefix = QByteArrayLiteral("capture ");
// A request line longer than this is no request of ours.
constexpr qint64 maxRequestBytes = 64 * 1024;
constexpr int answerWaitMs = 1000;

std::optional<QStringList> captureArguments(const QByteArray& line) {
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(line.mid(captureRequestPrefix.size()), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QStringList arguments;
    for (const QJsonValue& value : document.array()) {
        if (!value.isString())
            return std::nullopt;
        arguments.append(value.toString());
    }
    return arguments;
}

bool answers(const QString& socketPath) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    return socket.waitForConnected(answerWaitMs);
}

} // namespace

std::optional<qint64> SingleInstance::runningPid(const QString& folder) {
    QLockFile lock(folder + u'/' + lockName);
    qint64 pid = 0;
    QString host;
    QString application;
    // A lock left by a crash names a process that is gone (or a reused id of another program).
    if (!lock.getLockInfo(&pid, &host, &application) || pid <= 0 ||
        !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)))
        return std::nullopt;
    return pid;
}

QString SingleInstance::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

SingleInstance::SingleInstance(const QString& folder)
    : m_folder(folder), m_lock(folder + u'/' + lockName) {
    // Only a dead owner makes a lock stale, never its age: an app runs for days.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim(const QString& folder) {
    using Outcome = Claim::Outcome;
    QDir().mkpath(folder);
    std::unique_ptr<SingleInstance> instance(new SingleInstance(folder));
    if (!instance->m_lock.tryLock(0)) {
        // Something at the lock's path that is not a readable lock (a folder, say) names no
        // owner: that is a folder we cannot use, not a running app.
        qint64 owner = 0;
        QString host, application;
        const bool held = instance->m_lock.error() == QLockFile::LockFailedError &&
                          instance->m_lock.getLockInfo(&owner, &host, &application);
        if (held || answers(instance->socketPath()))
            return {Outcome::alreadyRunning, nullptr,
                    QStringLiteral("Vantrel is already running.")};
        return {Outcome::failed, nullptr,
                QStringLiteral("Cannot start Vantrel: %1 is not writable.").arg(folder)};
    }
    if (!instance->listen()) {
        return {Outcome::failed, nullptr,
                QStringLiteral("Cannot start Vantrel: cannot listen at %1.")
                    .arg(instance->socketPath())};
    }
    return {Outcome::claimed, std::move(instance), {}};
}

bool SingleInstance::activateRunning(const QString& folder) {
    QLocalSocket socket;
    socket.connectToServer(folder + u'/' + socketName);
    if (!socket.waitForConnected(answerWaitMs))
        return false;
    socket.write(activationRequest);
    return socket.waitForBytesWritten(answerWaitMs);
}

QString SingleInstance::socketPath() const {
    return m_folder + u'/' + socketName;
}

bool SingleInstance::listen() {
    // Holding the lock means any socket file left here belongs to a crashed instance.
    QLocalServer::removeServer(socketPath());
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath()))
        return false;
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::readyRead, socket,
                             [this, socket] { readRequest(socket); });
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}

void SingleInstance::readRequest(QLocalSocket* socket) {
    // Anything but the two requests, or a peer that keeps talking, is dropped.
    if (socket->property("answering").toBool())
        return;
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > maxRequestBytes)
            socket->disconnectFromServer();
        return;
    }
    const QByteArray line = socket->readLine(maxRequestBytes);
    if (line == activationRequest) {
        socket->disconnectFromServer();
        if (m_onActivation)
            m_onActivation();
        return;
    }
    const std::optional<QStringList> arguments =
        line.startsWith(captureRequestPrefix) ? captureArguments(line.trimmed()) : std::nullopt;
    if (!arguments || !m_onCapture) {
        socket->disconnectFromServer();
        return;
    }
    socket->setProperty("answering", true);
    m_onCapture({*arguments, socket});
}

void SingleInstance::CaptureRequest::answer(const QByteArray& reply) const {
    if (!peer)
        return;
    peer->write(reply);
    peer->disconnectFromServer();
}

std::optional<QByteArray> SingleInstance::requestCapture(const QString& folder,
                                                         const QStringList& arguments) {
    QLocalSocket socket;
    socket.connectToServer(folder + u'/' + socketName);
    if (!socket.waitForConnected(answerWaitMs))
        return std::nullopt;
    socket.write(
        captureRequestPrefix +
        QJsonDocument(QJsonArray::fromStringList(arguments)).toJson(QJsonDocument::Compact) + '\n');
    if (!socket.waitForBytesWritten(answerWaitMs))
        return std::nullopt;
    // The app answers and hangs up; an app that hangs up without a word did not take it.
    QByteArray reply;
    while (socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(-1))
        reply += socket.readAll();
    reply += socket.readAll();
    if (reply.isEmpty())
        return std::nullopt;
    return reply;
}

} // namespace vantrel
