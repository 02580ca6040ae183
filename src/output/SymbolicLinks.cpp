#include "SymbolicLinks.h"

#include "platform/FileErrors.h"

#include <QFile>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

QString temporarySibling(const QString& linkPath) {
    return linkPath + u'.' + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace

void SymbolicLinks::replace(const QString& linkPath, const QString& destination) {
    const QString temporary = temporarySibling(linkPath);
    if (::symlink(QFile::encodeName(destination).constData(),
                  QFile::encodeName(temporary).constData()) != 0)
        throw FileErrors::fromErrno(QStringLiteral("create the link"), temporary, errno);
    if (::rename(QFile::encodeName(temporary).constData(),
                 QFile::encodeName(linkPath).constData()) != 0) {
        const int error = errno;
        ::unlink(QFile::encodeName(temporary).constData());
        throw FileErrors::fromErrno(QStringLiteral("replace the link"), linkPath, error);
    }
}

bool SymbolicLinks::isSymbolicLink(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISLNK(status.st_mode);
}

bool SymbolicLinks::isAbsent(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) != 0 && errno == ENOENT;
}

} // namespace vantrel
