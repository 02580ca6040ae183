#include "CaptureFolders.h"

#include "FileErrors.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace vantrel {

namespace {

constexpr mode_t privateMode = 0700;

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// A parent may legitimately be a link to a directory (a moved cache folder), so this follows.
bool isDirectory(const QString& path) {
    struct stat status {};
    return ::stat(native(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

void ensureDirectory(const QString& path) {
    if (::mkdir(native(path).constData(), privateMode) == 0)
        return;
    const int error = errno;
    if (isDirectory(path))
        return;
    throw FileErrors::fromErrno(QStringLiteral("create the folder"), path,
                                error == EEXIST ? ENOTDIR : error);
}

struct Entry {
    QString path;
    QDateTime modified;
};

bool newerThan(const Entry& left, const Entry& right) {
    return left.modified > right.modified;
}

// Looks at the entry itself: a link, even one to a directory, is never a capture folder.
bool isRealDirectory(const QString& path) {
    struct stat status {};
    return ::lstat(native(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

QList<Entry> captureDirectories(const QString& root, const QString& current) {
    const QString kept = QDir::cleanPath(current);
    QList<Entry> entries;
    const QStringList names =
        QDir(root).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QString path = QDir::cleanPath(root + u'/' + name);
        if (name.startsWith(u'.') || path == kept)
            continue;
        if (isRealDirectory(path))
            entries.append({path, QFileInfo(path).lastModified()});
    }
    return entries;
}

void removeDirectory(const QString& path) {
    // Checked again right before deleting, in case the entry was swapped for a link meanwhile.
    if (isRealDirectory(path))
        QDir(path).removeRecursively();
}

} // namespace

void CaptureFolders::makePrivatePath(const QString& path) {
    const QStringList parts =
        QDir::cleanPath(QDir(path).absolutePath()).split(u'/', Qt::SkipEmptyParts);
    QString prefix;
    for (const QString& part : parts) {
        prefix += u'/' + part;
        ensureDirectory(prefix);
    }
}

bool CaptureFolders::createExclusive(const QString& path) {
    if (::mkdir(native(path).constData(), privateMode) == 0)
        return true;
    const int error = errno;
    if (error == EEXIST)
        return false;
    throw FileErrors::fromErrno(QStringLiteral("create the folder"), path, error);
}

void CaptureFolders::rotate(const QString& root, int keeping, const QString& current) {
    QList<Entry> entries = captureDirectories(root, current);
    const qsizetype othersKept = std::max(keeping - 1, 0);
    if (entries.size() <= othersKept)
        return;
    std::stable_sort(entries.begin(), entries.end(), newerThan);
    for (qsizetype index = othersKept; index < entries.size(); ++index)
        removeDirectory(entries[index].path);
}

} // namespace vantrel
