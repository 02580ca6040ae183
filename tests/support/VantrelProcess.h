#pragma once

#include "QtPrinters.h"

#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <unistd.h>

namespace vantrel::testing {

// Runs the vantrel binary in a home folder of its own, as a user or an agent would.
class VantrelProcess {
  public:
    struct Result {
        int exitCode = -1;
        QString out;
        QString err;

        QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
    };

    VantrelProcess() = default;

    QString home() const { return m_home.path(); }
    QString cacheDir() const { return m_home.path() + "/.cache"; }

    Result run(const QStringList& arguments) const {
        QProcess process;
        start(process, QStringLiteral(VANTREL_BINARY), arguments);
        return finish(process);
    }

    // Runs a bash script in the same home; $VANTREL is the binary.
    Result runScript(const QString& script) const {
        QProcess process;
        start(process, QStringLiteral("bash"), {QStringLiteral("-c"), script});
        return finish(process);
    }

    // Starts the binary without waiting, for runs side by side.
    void start(QProcess& process, const QString& program, const QStringList& arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString root = m_home.path();
        environment.insert("HOME", root);
        environment.insert("XDG_CONFIG_HOME", root + "/.config");
        environment.insert("XDG_CACHE_HOME", root + "/.cache");
        environment.insert("XDG_DATA_HOME", root + "/.local/share");
        environment.insert("XDG_RUNTIME_DIR", root + "/.run");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("VANTREL", QStringLiteral(VANTREL_BINARY));
        process.setProcessEnvironment(environment);
        // A group of its own, so a run that hangs can be stopped with whatever the script started.
        process.setChildProcessModifier([] { ::setpgid(0, 0); });
        process.start(program, arguments);
    }

    static Result finish(QProcess& process) {
        if (!process.waitForFinished(60000) && process.processId() > 0) {
            ::kill(-static_cast<pid_t>(process.processId()), SIGKILL);
            process.waitForFinished();
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // The text of every file under folder, hidden ones included: to prove something is nowhere.
    static QString everyFileText(const QString& folder) {
        QString text;
        QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (file.open(QIODevice::ReadOnly))
                text += QString::fromUtf8(file.readAll());
        }
        return text;
    }

    // The path of every file under folder, hidden ones included, one a line.
    static QString everyFileName(const QString& folder) {
        QStringList names;
        QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext())
            names.append(files.next());
        return names.join(u'\n');
    }

    // Writes a file into the home folder and returns its path.
    QString writeFile(const QString& name, const QByteArray& bytes) const {
        const QString path = home() + u'/' + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static QByteArray readBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QString readText(const QString& path) { return QString::fromUtf8(readBytes(path)); }

    static QString scene(const QString& name) {
        return QStringLiteral(VANTREL_SOURCE_DIR) + "/examples/scenes/" + name;
    }

  private:
    QTemporaryDir m_home;
};

} // namespace vantrel::testing
