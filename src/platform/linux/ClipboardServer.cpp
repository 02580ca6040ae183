#include "ClipboardServer.h"

#include "../FileWriter.h"
#include "ClipboardPayload.h"
#include "ClipboardTargets.h"
#include "WaylandClipboardOwner.h"
#include "X11ClipboardOwner.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

namespace vantrel {

namespace {

constexpr qint64 largestPayload = qint64(1) << 30;
constexpr int commandCheckMilliseconds = 100;

QString systemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Only a private regular file of ours is read: the path comes from the command line.
std::optional<QByteArray> readPrivateFile(const QString& path, QString& reason) {
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        reason = systemReason();
        return std::nullopt;
    }
    struct stat status {};
    QFile file;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::getuid() || (status.st_mode & 077) != 0 ||
        status.st_size > largestPayload) {
        reason = QStringLiteral("not a private payload file");
        ::close(descriptor);
        return std::nullopt;
    }
    if (!file.open(descriptor, QIODevice::ReadOnly, QFile::AutoCloseHandle)) {
        reason = file.errorString();
        ::close(descriptor);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() != status.st_size) {
        reason = QStringLiteral("the payload file could not be read whole");
        return std::nullopt;
    }
    return bytes;
}

// The command waits for the payload file to go; the reason file, put in place whole before that,
// tells it why. A reason that cannot be written leaves the payload: the command then sees the
// server end without taking it, never a payload gone without a reason, which reads as success.
int fail(const QString& payloadPath, const QString& reason) {
    const QString errorPath = ClipboardServer::errorPath(payloadPath);
    const QString draft = errorPath + QStringLiteral(".part");
    try {
        if (FileWriter::writeNew(draft, reason.toUtf8()) &&
            std::rename(QFile::encodeName(draft).constData(),
                        QFile::encodeName(errorPath).constData()) == 0) {
            QFile::remove(payloadPath);
            return 1;
        }
    } catch (const FileWriteFailure&) {
    }
    QFile::remove(draft);
    return 1;
}

// The payload's name appears whole (it is renamed into place). False when the command that
// started us ended without one: its capture failed, and there is nothing to serve.
bool waitForPayload(const QString& path, qint64 commandPid) {
    const QByteArray name = QFile::encodeName(path);
    const auto arrived = [&] { return ::access(name.constData(), F_OK) == 0; };
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch >= 0)
        ::inotify_add_watch(watch, QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                            IN_MOVED_TO | IN_CREATE);
    // The watch cannot see the command end; a slow look now and then can.
    pollfd changes{watch, POLLIN, 0};
    while (!arrived() && ClipboardServer::isRunning(commandPid)) {
        if (::poll(&changes, watch >= 0 ? 1 : 0, commandCheckMilliseconds) > 0) {
            char events[4096];
            while (::read(watch, events, sizeof events) > 0) {
            }
        }
    }
    if (watch >= 0)
        ::close(watch);
    return arrived();
}

} // namespace

bool ClipboardServer::isRunning(qint64 pid) {
    if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH))
        return false;
    // An ended process whose parent has not collected it yet still answers kill(); its state
    // in /proc says it is a zombie ("pid (name) Z ...").
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype nameEnd = line.lastIndexOf(')');
    return nameEnd < 0 || line.mid(nameEnd + 2, 1) != "Z";
}

QString ClipboardServer::sessionArgument(Session session) {
    return session == Session::wayland ? QStringLiteral("wayland") : QStringLiteral("x11");
}

std::optional<ClipboardServer::Session>
ClipboardServer::sessionFromArgument(const QString& argument) {
    for (const Session session : {Session::x11, Session::wayland}) {
        if (argument == sessionArgument(session))
            return session;
    }
    return std::nullopt;
}

namespace {

// The payload the command handed over, once it is there; else the exit code.
std::variant<ClipboardTargets, int> takePayload(const QString& payloadPath, qint64 commandPid,
                                                const std::optional<QString>& connectionError,
                                                ClipboardTargets::PngEncoding encodePng) {
    if (!waitForPayload(payloadPath, commandPid))
        return 0;
    if (connectionError)
        return fail(payloadPath, *connectionError);
    QString reason;
    const auto bytes = readPrivateFile(payloadPath, reason);
    if (!bytes)
        return fail(payloadPath, reason);
    auto payload = ClipboardPayload::decode(*bytes);
    if (!payload)
        return fail(payloadPath, QStringLiteral("the payload file is damaged"));
    return ClipboardTargets(std::move(*payload), encodePng);
}

int serveX11(const QString& payloadPath, qint64 commandPid,
             ClipboardTargets::PngEncoding encodePng) {
    QString connectionError;
    const auto owner = X11ClipboardOwner::connect(connectionError);
    auto taken = takePayload(payloadPath, commandPid,
                             owner ? std::nullopt : std::optional(connectionError), encodePng);
    if (const int* exitCode = std::get_if<int>(&taken))
        return *exitCode;
    if (!owner->own(std::get<ClipboardTargets>(taken)))
        return fail(payloadPath, QStringLiteral("the X server did not give us the clipboard"));
    QFile::remove(payloadPath);
    owner->serve();
    return 0;
}

int serveWayland(const QString& payloadPath, qint64 commandPid,
                 ClipboardTargets::PngEncoding encodePng) {
    std::string connectionError;
    const auto owner = WaylandClipboardOwner::connect(connectionError);
    auto taken = takePayload(
        payloadPath, commandPid,
        owner ? std::nullopt : std::optional(QString::fromStdString(connectionError)), encodePng);
    if (const int* exitCode = std::get_if<int>(&taken))
        return *exitCode;
    auto& targets = std::get<ClipboardTargets>(taken);
    std::vector<std::string> types;
    for (const QByteArray& type : targets.mimeTypes())
        types.push_back(type.toStdString());
    const auto refused =
        owner->own(types, [&targets](const std::string& type) -> std::optional<std::string> {
            const auto value = targets.renderMimeType(QByteArray::fromStdString(type));
            return value ? std::optional(value->toStdString()) : std::nullopt;
        });
    if (refused)
        return fail(payloadPath, QString::fromStdString(*refused));
    QFile::remove(payloadPath);
    owner->serve();
    return 0;
}

} // namespace

int ClipboardServer::serve(const QString& payloadPath, qint64 commandPid, Session session,
                           ClipboardTargets::PngEncoding encodePng) {
    // A receiver that closes its end of a transfer early must not end the server.
    std::signal(SIGPIPE, SIG_IGN);
    // Connected while the command still captures, so that taking the clipboard costs next to
    // nothing once the payload is there.
    return session == Session::wayland ? serveWayland(payloadPath, commandPid, encodePng)
                                       : serveX11(payloadPath, commandPid, encodePng);
}

} // namespace vantrel
