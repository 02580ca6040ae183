#include "SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace vantrel {

namespace {

const QString lockName = QStringLiteral("vantrel.lock");
const QString socketName = QStringLiteral("vantrel.socket");
const QByteArray activationRequest = QByteArrayLiteral("activate\n");
constexpr int answerWaitMs = 1000;

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
        if (instance->m_lock.error() == QLockFile::LockFailedError ||
            answers(instance->socketPath()))
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
    // Anything but the one request, or a peer that keeps talking, is dropped.
    if (socket->bytesAvailable() < activationRequest.size())
        return;
    const QByteArray request = socket->read(activationRequest.size());
    socket->disconnectFromServer();
    if (request == activationRequest && m_onActivation)
        m_onActivation();
}

} // namespace vantrel
