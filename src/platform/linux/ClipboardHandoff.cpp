#include "ClipboardHandoff.h"

#include "../FileWriter.h"
#include "../StandardLocations.h"
#include "ClipboardPayload.h"
#include "ClipboardServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QUuid>

#include <csignal>

namespace vantrel {

namespace {

// Starting a Qt process and taking the selection takes well under a second; a server that has
// not answered by then is stuck, and the command must not hang on it.
constexpr int handoffMilliseconds = 5000;

QString payloadFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/vantrel");
    return StandardLocations::cachesDirectory() + QStringLiteral("/Vantrel/clipboard");
}

QProcessEnvironment serverEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The command itself may paint off screen; the server must reach the X server.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // A window-less server has nothing to read; it need not force its way onto the bus.
    environment.remove(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"));
    return environment;
}

bool waitUntilGone(const QString& path) {
    const QDeadlineTimer deadline(handoffMilliseconds);
    while (QFileInfo::exists(path)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
    return true;
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

std::optional<QString> ClipboardHandoff::handOff(const ClipboardPayload& payload,
                                                 const QString& executable) {
    const QString folder = payloadFolder();
    const QString path = folder + QStringLiteral("/clipboard-") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces) +
                         QStringLiteral(".payload");
    try {
        FileWriter::makePrivateFolders(folder);
        FileWriter::writeNew(path, payload.encoded());
    } catch (const FileWriteFailure& failure) {
        return failure.detail();
    }

    QProcess server;
    server.setProgram(executable);
    server.setArguments({ClipboardServer::argument, path});
    server.setProcessEnvironment(serverEnvironment());
    server.setStandardInputFile(QProcess::nullDevice());
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!server.startDetached(&pid)) {
        QFile::remove(path);
        return QStringLiteral("could not start the clipboard server ") + executable;
    }
    if (!waitUntilGone(path)) {
        ::kill(static_cast<pid_t>(pid), SIGTERM);
        QFile::remove(path);
        return QStringLiteral("the clipboard server did not take the payload within 5 s");
    }
    const QString errorPath = ClipboardServer::errorPath(path);
    if (QFileInfo::exists(errorPath))
        return readReason(errorPath);
    return std::nullopt;
}

} // namespace vantrel
