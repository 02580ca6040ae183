#include "FileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

FileWriteFailure failure(const QString& path, int error) {
    return {path, QString::fromLocal8Bit(std::strerror(error))};
}

// Flushing waits on the disk, not the processor: more threads than cores let the filesystem
// commit every file in one go.
QThreadPool& syncPool() {
    static QThreadPool pool;
    pool.setMaxThreadCount(8);
    return pool;
}

// Returns 0 or the errno of the failed step.
int syncPath(const QString& path, bool dataOnly) {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return errno;
    const int result = dataOnly ? ::fdatasync(descriptor) : ::fsync(descriptor);
    const int error = result == 0 ? 0 : errno;
    ::close(descriptor);
    return error;
}

bool isFolder(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

void FileWriter::makePrivateFolders(const QString& path) {
    const QStringList parts =
        QDir::cleanPath(QDir(path).absolutePath()).split(u'/', Qt::SkipEmptyParts);
    QString prefix;
    for (const QString& part : parts) {
        prefix += u'/' + part;
        if (::mkdir(QFile::encodeName(prefix).constData(), 0700) == 0)
            continue;
        const int error = errno;
        if (!isFolder(prefix))
            throw failure(prefix, error == EEXIST ? ENOTDIR : error);
    }
}

// Plain system calls: Qt's file class reports a failed write as "Unknown error", and the user
// needs the reason (a full disk, a size limit).
bool FileWriter::writeNew(const QString& path, const QByteArray& bytes) {
    const QByteArray name = QFile::encodeName(path);
    const int descriptor = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        if (errno == EEXIST)
            return false;
        throw failure(path, errno);
    }
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    int error = 0;
    while (left > 0 && error == 0) {
        const ssize_t written = ::write(descriptor, data, static_cast<size_t>(left));
        if (written > 0) {
            data += written;
            left -= written;
        } else if (written < 0 && errno != EINTR) {
            error = errno;
        }
    }
    if (::close(descriptor) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(name.constData());
        throw failure(path, error);
    }
    return true;
}

QString FileWriter::writeUnique(const QString& name, const QString& extension,
                                const QByteArray& bytes) {
    QString path = name + extension;
    for (int copy = 2; !writeNew(path, bytes); ++copy)
        path = name + u'-' + QString::number(copy) + extension;
    return path;
}

void FileWriter::syncTogether(const QStringList& files, const QStringList& folders) {
    struct Item {
        QString path;
        bool isFile;
        int error = 0;
    };
    QList<Item> items;
    for (const QString& file : files)
        items.append({file, true});
    for (const QString& folder : folders)
        items.append({folder, false});
    QtConcurrent::blockingMap(&syncPool(), items,
                              [](Item& item) { item.error = syncPath(item.path, item.isFile); });
    for (const Item& item : std::as_const(items)) {
        if (item.error != 0)
            throw failure(item.path, item.error);
    }
}

void FileWriter::syncFolder(const QString& path) {
    if (const int error = syncPath(path, false); error != 0)
        throw failure(path, error);
}

} // namespace vantrel
