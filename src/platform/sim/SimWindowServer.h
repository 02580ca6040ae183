#pragma once

#include "../WindowServer.h"
#include "Scene.h"

namespace vantrel {

// The window list and running applications of a scene.
class SimWindowServer final : public WindowServer {
  public:
    explicit SimWindowServer(const Scene& scene);

    std::optional<QList<WindowListEntry>> onScreenWindows() const override;
    std::optional<QString> applicationName(qint32 pid) const override;
    qint32 ownPid() const override;
    std::optional<RunningApplication> frontmostApplication() const override;

    // Without a list, onScreenWindows() answers none, as the platform may.
    void setWindowListAvailable(bool available) { m_listAvailable = available; }

  private:
    const Scene& m_scene;
    bool m_listAvailable = true;
};

} // namespace vantrel
