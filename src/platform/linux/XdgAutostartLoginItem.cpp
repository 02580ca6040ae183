#include "XdgAutostartLoginItem.h"

#include "../FileWriter.h"
#include "../PlatformError.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

namespace vantrel {

namespace {

const QString errorDomain = QStringLiteral("XdgAutostart");

// Exec keys quote arguments with double quotes; inside them \, ", ` and $ take a backslash.
QString quotedForExec(const QString& path) {
    QString quoted;
    for (const QChar c : path) {
        if (c == u'\\' || c == u'"' || c == u'`' || c == u'$')
            quoted += u'\\';
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

QByteArray entryText(const QString& executable) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Vantrel\n"
                          "Comment=Show a coding agent the part of the screen you mean\n"
                          "Exec=%1\n"
                          "Icon=vantrel\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(quotedForExec(executable))
        .toUtf8();
}

PlatformError failure(const QString& what, const FileWriteFailure& cause) {
    return {errorDomain, 1, what + QStringLiteral(": ") + cause.detail()};
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(QString executable, QString autostartFolder)
    : m_executable(std::move(executable)), m_folder(std::move(autostartFolder)) {
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                   QStringLiteral("/autostart");
}

QString XdgAutostartLoginItem::entryPath() const {
    return m_folder + QStringLiteral("/vantrel.desktop");
}

// An entry that a desktop would skip (Hidden=true, or switched off in GNOME) is not registered.
LoginItemService::Status XdgAutostartLoginItem::status() const {
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return Status::notRegistered;
    const QByteArray text = file.readAll();
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed == "Hidden=true" || trimmed == "X-GNOME-Autostart-enabled=false")
            return Status::notRegistered;
    }
    return Status::enabled;
}

void XdgAutostartLoginItem::registerItem() {
    try {
        FileWriter::makePrivateFolders(m_folder);
        const QString path = entryPath();
        const QString draft = path + QStringLiteral(".new");
        QFile::remove(draft);
        FileWriter::writeNew(draft, entryText(m_executable));
        if (std::rename(QFile::encodeName(draft).constData(),
                        QFile::encodeName(path).constData()) != 0) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            QFile::remove(draft);
            throw FileWriteFailure{path, reason};
        }
    } catch (const FileWriteFailure& cause) {
        throw failure(QStringLiteral("Could not add Vantrel to the programs started at login"),
                      cause);
    }
}

void XdgAutostartLoginItem::unregisterItem() {
    const QString path = entryPath();
    if (std::remove(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        throw failure(QStringLiteral("Could not remove Vantrel from the programs started at login"),
                      {path, QString::fromLocal8Bit(std::strerror(errno))});
}

} // namespace vantrel
