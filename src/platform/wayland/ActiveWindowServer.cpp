#include "ActiveWindowServer.h"

#include "../linux/AtspiActiveWindow.h"

#include <QFile>

#include <unistd.h>

namespace vantrel {

std::optional<QList<WindowListEntry>> ActiveWindowServer::onScreenWindows() const {
    QList<WindowListEntry> entries;
    if (const auto active = AtspiActiveWindow::find())
        entries.append({0, active->pid, std::nullopt, active->title, std::nullopt});
    return entries;
}

std::optional<QString> ActiveWindowServer::applicationName(qint32 pid) const {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (pid <= 0 || !comm.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(comm.readAll()).trimmed();
}

qint32 ActiveWindowServer::ownPid() const {
    return static_cast<qint32>(::getpid());
}

std::optional<RunningApplication> ActiveWindowServer::frontmostApplication() const {
    const auto active = AtspiActiveWindow::find();
    if (!active)
        return std::nullopt;
    return RunningApplication{qint32(active->pid), std::nullopt,
                              applicationName(qint32(active->pid))};
}

} // namespace vantrel
