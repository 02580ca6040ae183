#include "HelperWindowServer.h"

#include <QFile>

#include <unistd.h>

namespace vantrel {

std::optional<QList<WindowListEntry>> HelperWindowServer::onScreenWindows() const {
    const auto windows = m_helper.windows();
    if (!windows)
        return std::nullopt;
    const DesktopSpace space = m_space();
    QList<WindowListEntry> entries;
    for (const CompositorWindow& window : *windows)
        entries.append(
            {0, window.pid, space.toPoints(QRectF(window.frame)), window.title, qint64(window.id)});
    return entries;
}

std::optional<QString> HelperWindowServer::applicationName(qint32 pid) const {
    if (const auto windows = m_helper.windows()) {
        for (const CompositorWindow& window : *windows) {
            if (window.pid == pid && !window.applicationClass.isEmpty())
                return window.applicationClass;
        }
    }
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (pid <= 0 || !comm.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(comm.readAll()).trimmed();
}

qint32 HelperWindowServer::ownPid() const {
    return static_cast<qint32>(::getpid());
}

std::optional<RunningApplication> HelperWindowServer::frontmostApplication() const {
    const auto windows = m_helper.windows();
    if (!windows)
        return std::nullopt;
    for (const CompositorWindow& window : *windows) {
        if (window.focused)
            return RunningApplication{qint32(window.pid), std::nullopt,
                                      applicationName(qint32(window.pid))};
    }
    return std::nullopt;
}

} // namespace vantrel
