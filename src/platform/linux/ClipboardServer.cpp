#include "ClipboardServer.h"

#include "../FileWriter.h"
#include "ClipboardPayload.h"

#include <QClipboard>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
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
    QEventLoop loop;
    const auto settled = [&] {
        return QFileInfo::exists(path) || !ClipboardServer::isRunning(commandPid);
    };
    const auto check = [&] {
        if (settled())
            loop.quit();
    };
    const QFileSystemWatcher watcher({QFileInfo(path).absolutePath()});
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, check);
    // The watcher cannot see the command end; a slow look now and then can.
    QTimer liveness;
    QObject::connect(&liveness, &QTimer::timeout, &loop, check);
    liveness.start(commandCheckMilliseconds);
    if (!settled())
        loop.exec();
    return QFileInfo::exists(path);
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

int ClipboardServer::serve(const QString& payloadPath, qint64 commandPid) {
    if (!waitForPayload(payloadPath, commandPid))
        return 0;
    QString reason;
    const auto bytes = readPrivateFile(payloadPath, reason);
    if (!bytes)
        return fail(payloadPath, reason);
    const auto payload = ClipboardPayload::decode(*bytes);
    if (!payload)
        return fail(payloadPath, QStringLiteral("the payload file is damaged"));

    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(payload->toMimeData(), QClipboard::Clipboard);
    if (!clipboard->ownsClipboard())
        return fail(payloadPath, QStringLiteral("the X server did not give us the clipboard"));
    QFile::remove(payloadPath);

    QObject::connect(clipboard, &QClipboard::changed, qApp, [clipboard](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard())
            QCoreApplication::quit();
    });
    return QGuiApplication::exec();
}

} // namespace vantrel
