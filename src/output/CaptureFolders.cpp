#include "CaptureFolders.h"

#include "platform/FileErrors.h"
#include "platform/FileWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

constexpr mode_t privateMode = 0700;
const QString draftPrefix = QStringLiteral(".incomplete-");
constexpr qint64 abandonedDraftSeconds = 60 * 60;

// Looks at the entry itself: a link, even one to a directory, is never one of our folders.
bool isRealDirectory(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

void refuseLink(const QString& path) {
    if (!isRealDirectory(path))
        throw FileErrors::withReason(
            QStringLiteral("use the folder"), path,
            QStringLiteral("it is a symbolic link or not a folder; captures are written only "
                           "into a real folder"));
}

struct Entry {
    QString path;
    QDateTime modified;
};

bool newerThan(const Entry& left, const Entry& right) {
    return left.modified > right.modified;
}

QStringList entryNames(const QString& root) {
    return QDir(root).entryList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void removeDirectory(const QString& path) {
    // Checked again right before deleting, in case the entry was swapped for a link meanwhile;
    // removeRecursively deletes links inside without following them.
    if (isRealDirectory(path))
        QDir(path).removeRecursively();
}

bool isAbandonedDraft(const QString& name, const QString& path) {
    return name.startsWith(draftPrefix) && isRealDirectory(path) &&
           QFileInfo(path).lastModified().secsTo(QDateTime::currentDateTimeUtc()) >
               abandonedDraftSeconds;
}

// Holds an exclusive lock on a folder while it lives; nothing when the folder cannot be opened.
class FolderLock {
  public:
    explicit FolderLock(const QString& path)
        : m_descriptor(
              ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_descriptor >= 0)
            ::flock(m_descriptor, LOCK_EX);
    }
    ~FolderLock() {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

  private:
    int m_descriptor;
};

} // namespace

void CaptureFolders::prepareRoot(const QString& root) {
    try {
        FileWriter::makePrivateFolders(root);
    } catch (const FileWriteFailure& failure) {
        throw FileErrors::withReason(QStringLiteral("create the folder"), failure.path,
                                     failure.reason);
    }
    refuseLink(QFileInfo(root).path());
    refuseLink(root);
}

QString CaptureFolders::createDraft(const QString& root) {
    const QString path =
        root + u'/' + draftPrefix + QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (::mkdir(QFile::encodeName(path).constData(), privateMode) != 0)
        throw FileErrors::fromErrno(QStringLiteral("create the folder"), path, errno);
    return path;
}

bool CaptureFolders::publish(const QString& draft, const QString& root, const QString& name) {
    const QString target = root + u'/' + name;
    if (::renameat2(AT_FDCWD, QFile::encodeName(draft).constData(), AT_FDCWD,
                    QFile::encodeName(target).constData(), RENAME_NOREPLACE) == 0)
        return true;
    const int error = errno;
    if (error == EEXIST || error == ENOTEMPTY)
        return false;
    throw FileErrors::fromErrno(QStringLiteral("move the capture into"), target, error);
}

void CaptureFolders::discardDraft(const QString& draft) {
    removeDirectory(draft);
}

bool CaptureFolders::isCaptureFolderName(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\d+-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2}-\\d{3}(-\\d+)?$"));
    return pattern.match(name).hasMatch();
}

// Rotations of processes capturing at once take turns: each sees what the one before left, so
// together they keep exactly the newest, not fewer.
void CaptureFolders::rotate(const QString& root, int keeping, const QString& current) {
    if (!isRealDirectory(root))
        return;
    const FolderLock lock(root);
    const QString kept = QDir::cleanPath(current);
    QList<Entry> folders;
    for (const QString& name : entryNames(root)) {
        const QString path = QDir::cleanPath(root + u'/' + name);
        if (isAbandonedDraft(name, path))
            removeDirectory(path);
        else if (path != kept && isCaptureFolderName(name) && isRealDirectory(path))
            folders.append({path, QFileInfo(path).lastModified()});
    }
    const qsizetype othersKept = std::max(keeping - 1, 0);
    if (folders.size() <= othersKept)
        return;
    std::stable_sort(folders.begin(), folders.end(), newerThan);
    for (qsizetype index = othersKept; index < folders.size(); ++index)
        removeDirectory(folders[index].path);
}

} // namespace vantrel
