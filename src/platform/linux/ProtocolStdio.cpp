#include "ProtocolStdio.h"

#include <QtGlobal>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

int ProtocolStdio::takeStdout() {
    // A client that goes away must end the server through a failed write, not a signal.
    ::signal(SIGPIPE, SIG_IGN);
    const int copy = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (copy < 0)
        return -1;
    if (::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        ::close(copy);
        return -1;
    }
    return copy;
}

bool ProtocolStdio::writeAll(int fd, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.constData() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

QByteArray ProtocolStdio::readAvailable(int fd, bool& atEnd) {
    atEnd = false;
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const ssize_t count = ::read(fd, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return {};
        if (count <= 0) {
            atEnd = true;
            return {};
        }
        buffer.truncate(count);
        return buffer;
    }
}

void ProtocolStdio::recoverSessionEnvironment() {
    const auto ownFolder = [](const QByteArray& path, mode_t type) {
        struct stat status {};
        return ::lstat(path.constData(), &status) == 0 && (status.st_mode & S_IFMT) == type &&
               status.st_uid == ::getuid();
    };
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray runtime = "/run/user/" + QByteArray::number(::getuid());
        if (ownFolder(runtime, S_IFDIR))
            qputenv("XDG_RUNTIME_DIR", runtime);
    }
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        !qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray bus = qgetenv("XDG_RUNTIME_DIR") + "/bus";
        if (ownFolder(bus, S_IFSOCK))
            qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + bus);
    }
}

} // namespace vantrel
