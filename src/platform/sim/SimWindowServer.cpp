#include "SimWindowServer.h"

namespace vantrel {

SimWindowServer::SimWindowServer(const Scene& scene) : m_scene(scene) {}

std::optional<QList<WindowListEntry>> SimWindowServer::onScreenWindows() const {
    if (!m_listAvailable)
        return std::nullopt;
    QList<WindowListEntry> entries;
    for (const SceneWindow& window : m_scene.windows) {
        if (window.onScreen && !window.desktop)
            entries.append({window.layer, window.pid, window.bounds, window.title, window.id});
    }
    return entries;
}

std::optional<QString> SimWindowServer::applicationName(qint32 pid) const {
    if (pid == m_scene.self.pid)
        return m_scene.self.name;
    const SceneApp* app = m_scene.app(pid);
    return app ? app->name : std::nullopt;
}

qint32 SimWindowServer::ownPid() const {
    return m_scene.self.pid;
}

std::optional<RunningApplication> SimWindowServer::frontmostApplication() const {
    if (!m_scene.frontmost)
        return std::nullopt;
    const qint32 pid = *m_scene.frontmost;
    if (pid == m_scene.self.pid)
        return RunningApplication{pid, m_scene.bundleIdentifier, m_scene.self.name};
    const SceneApp* app = m_scene.app(pid);
    if (app == nullptr)
        return RunningApplication{pid, std::nullopt, std::nullopt};
    return RunningApplication{pid, app->bundleId, app->name};
}

} // namespace vantrel
