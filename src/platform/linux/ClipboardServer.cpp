#include "ClipboardServer.h"

#include "../FileWriter.h"
#include "ClipboardPayload.h"
#include "ClipboardTargets.h"
#include "X11ClipboardOwner.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The command waits for the payload file to go; the reason file, written first, tells it why.
int fail(const QString& payloadPath, const QString& reason) {
    try {
        FileWriter::writeNew(ClipboardServer::errorPath(payloadPath), reason.toUtf8());
    } catch (const FileWriteFailure&) {
    }
    QFile::remove(payloadPath);
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

int ClipboardServer::serve(const QString& payloadPath, qint64 commandPid,
                           ClipboardTargets::PngEncoding encodePng) {
    // Connected while the command still captures, so that taking the selection costs next to
    // nothing once the payload is there.
    QString connectionError;
    const auto owner = X11ClipboardOwner::connect(connectionError);
    if (!waitForPayload(payloadPath, commandPid))
        return 0;
    if (!owner)
        return fail(payloadPath, connectionError);
    QString reason;
    const auto bytes = readPrivateFile(payloadPath, reason);
    if (!bytes)
        return fail(payloadPath, reason);
    auto payload = ClipboardPayload::decode(*bytes);
    if (!payload)
        return fail(payloadPath, QStringLiteral("the payload file is damaged"));

    ClipboardTargets targets(std::move(*payload), encodePng);
    if (!owner->own(targets))
        return fail(payloadPath, QStringLiteral("the X server did not give us the clipboard"));
    QFile::remove(payloadPath);
    owner->serve();
    return 0;
}

} // namespace vantrel
