#include "ClipboardServerProgram.h"

#include "../clipboard/ClipboardServer.h"

#include <QDir>
#include <QFileInfo>

namespace vantrel {

std::optional<QString> ClipboardServerProgram::find(const QString& runningExecutable,
                                                    QString& missing) {
    const QString name = QString::fromLatin1(ClipboardServer::programName);
    const QDir folder = QFileInfo(runningExecutable).absoluteDir();
    const QStringList places = {folder.absolutePath(),
                                QDir::cleanPath(folder.absoluteFilePath("../lib/vantrel"))};
    for (const QString& place : places) {
        const QFileInfo program(place + u'/' + name);
        if (program.isFile() && program.isExecutable())
            return program.filePath();
    }
    missing = QStringLiteral("the clipboard server %1 is missing: it is neither in %2 nor in %3")
                  .arg(name, places[0], places[1]);
    return std::nullopt;
}

} // namespace vantrel
