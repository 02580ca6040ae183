#pragma once

#include "DesktopTools.h"
#include "support/VantrelProcess.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace vantrel::testing {

// Compared whole, not as a pattern: the titles hold characters regular expressions treat apart.
inline bool windowShown(const QString& title) {
    return xdotool({"search", "--onlyvisible", "--name", ".", "getwindowname", "%@"})
        .split('\n')
        .contains(title);
}

// The app without arguments, in a home of its own; ended by pid when this goes.
class TrayApp {
  public:
    explicit TrayApp(const VantrelProcess& home) {
        QDir(home.home()).mkdir(".run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        home.start(m_process, QStringLiteral(VANTREL_BINARY), {});
    }
    ~TrayApp() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            m_process.waitForFinished();
        }
    }

    // The desktop has no tray: once started, the app says so in a window of its own.
    bool waitUntilRunning() {
        return waitUntil([] { return windowShown("Vantrel is running"); });
    }
    void kill() {
        m_process.kill(); // SIGKILL: a crash, not a quit
        m_process.waitForFinished();
    }
    QString errors() { return m_errors += QString::fromUtf8(m_process.readAllStandardError()); }
    qint64 pid() const { return m_process.processId(); }

  private:
    QProcess m_process;
    QString m_errors;
};

} // namespace vantrel::testing
