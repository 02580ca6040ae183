#include "ClipboardHandoff.h"

#include "../FileWriter.h"
#include "../StandardLocations.h"
#include "../SystemClock.h"
#include "ClipboardPayload.h"
#include "ClipboardServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUuid>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace vantrel {

namespace {

// Taking the selection takes milliseconds once the server runs; a server that has not answered
// within this long is stuck, and the command must not hang on it.
constexpr int handoffMilliseconds = 5000;

QString payloadFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/vantrel");
    return StandardLocations::cachesDirectory() + QStringLiteral("/Vantrel/clipboard");
}

QString readReason(const QString& path) {
    QFile file(path);
    const QString reason = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll())
                                                          : QStringLiteral("unknown reason");
    file.close();
    QFile::remove(path);
    return reason;
}

} // namespace

std::unique_ptr<ClipboardHandoff> ClipboardHandoff::start(const QString& executable,
                                                          ClipboardServer::Session session) {
    static SystemClock systemClock;
    return start(executable, session, systemClock);
}

std::unique_ptr<ClipboardHandoff>
ClipboardHandoff::start(const QString& executable, ClipboardServer::Session session, Clock& clock) {
    const QString folder = payloadFolder();
    const QString path = folder + QStringLiteral("/clipboard-") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces) +
                         QStringLiteral(".payload");
    try {
        FileWriter::makePrivateFolders(folder);
    } catch (const FileWriteFailure& failure) {
        return std::unique_ptr<ClipboardHandoff>(
            new ClipboardHandoff(path, 0, failure.detail(), clock));
    }
    QProcess server;
    server.setProgram(executable);
    server.setArguments({ClipboardServer::argument, path,
                         QString::number(QCoreApplication::applicationPid()),
                         ClipboardServer::sessionArgument(session)});
    server.setStandardInputFile(QProcess::nullDevice());
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!server.startDetached(&pid))
        return std::unique_ptr<ClipboardHandoff>(new ClipboardHandoff(
            path, 0, QStringLiteral("could not start the clipboard server ") + executable, clock));
    return std::unique_ptr<ClipboardHandoff>(new ClipboardHandoff(path, pid, std::nullopt, clock));
}

ClipboardHandoff::ClipboardHandoff(QString path, qint64 pid, std::optional<QString> startFailure,
                                   Clock& clock)
    : m_path(std::move(path)), m_pid(pid), m_startFailure(std::move(startFailure)), m_clock(clock) {
}

ClipboardHandoff::~ClipboardHandoff() {
    if (!m_handedOff)
        stopServer();
}

void ClipboardHandoff::stopServer() {
    if (m_pid > 0)
        ::kill(static_cast<pid_t>(m_pid), SIGTERM);
    m_pid = 0;
    QFile::remove(m_path + QStringLiteral(".part"));
    QFile::remove(m_path);
    QFile::remove(ClipboardServer::errorPath(m_path));
    QFile::remove(ClipboardServer::errorPath(m_path) + QStringLiteral(".part"));
}

std::optional<QString> ClipboardHandoff::handOff(const ClipboardPayload& payload) {
    if (m_startFailure)
        return m_startFailure;
    // Whole or not at all: the server takes the payload the moment its name appears.
    const QString draft = m_path + QStringLiteral(".part");
    try {
        FileWriter::writeNew(draft, payload.encoded());
    } catch (const FileWriteFailure& failure) {
        stopServer();
        return failure.detail();
    }
    if (std::rename(QFile::encodeName(draft).constData(), QFile::encodeName(m_path).constData()) !=
        0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        stopServer();
        return reason;
    }
    const QString errorPath = ClipboardServer::errorPath(m_path);
    const QDateTime deadline = m_clock.now().addMSecs(handoffMilliseconds);
    while (QFileInfo::exists(m_path)) {
        if (QFileInfo::exists(errorPath)) {
            const QString reason = readReason(errorPath);
            stopServer();
            return reason;
        }
        if (!ClipboardServer::isRunning(m_pid)) {
            stopServer();
            return QStringLiteral("the clipboard server stopped before it took the payload");
        }
        if (m_clock.now() >= deadline) {
            stopServer();
            return QStringLiteral("the clipboard server did not take the payload within 5 s");
        }
        m_clock.sleepBlocking(std::chrono::milliseconds(1));
    }
    if (QFileInfo::exists(errorPath)) {
        const QString reason = readReason(errorPath);
        stopServer();
        return reason;
    }
    m_handedOff = true;
    return std::nullopt;
}

} // namespace vantrel
