#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vantrel {

// A file that could not be written or flushed, and the system's reason.
struct FileWriteFailure {
    QString path;
    QString reason;

    // "path: reason", for error texts.
    QString detail() const { return path + QStringLiteral(": ") + reason; }
};

// Writes files so that success means every byte is there: the write, the flush and the close are
// each checked, and a file that could not be written whole is removed again.
struct FileWriter {
    // Creates path, which must not exist yet, and writes bytes into it. False when something is
    // already there, so two processes can never end up sharing one name. Throws FileWriteFailure.
    static bool writeNew(const QString& path, const QByteArray& bytes);
    // writeNew under name + extension, or name + "-2" + extension and on when that is taken.
    // Returns the path written. Throws FileWriteFailure.
    static QString writeUnique(const QString& name, const QString& extension,
                               const QByteArray& bytes);
    // Puts the data of every file on the disk, all at once rather than one after another, then the
    // folders' entries. Throws FileWriteFailure.
    static void syncTogether(const QStringList& files, const QStringList& folders);
    // Creates path and its missing parents, each open to the user alone; existing folders are
    // left as they are, and a parent may be a link to a folder. Throws FileWriteFailure.
    static void makePrivateFolders(const QString& path);
    // Throws FileWriteFailure.
    static void syncFolder(const QString& path);
};

} // namespace vantrel
