#pragma once

#include "../CompositorHelper.h"
#include "../WindowServer.h"
#include "../linux/DesktopSpace.h"

#include <functional>

namespace vantrel {

// The window list as the compositor's helper gives it: frames in the core's points, front to
// back, every window on the normal layer (the helper lists application windows only).
class HelperWindowServer final : public WindowServer {
  public:
    HelperWindowServer(CompositorHelper& helper, std::function<DesktopSpace()> space)
        : m_helper(helper), m_space(std::move(space)) {}

    std::optional<QList<WindowListEntry>> onScreenWindows() const override;
    std::optional<QString> applicationName(qint32 pid) const override;
    qint32 ownPid() const override;
    std::optional<RunningApplication> frontmostApplication() const override;

  private:
    CompositorHelper& m_helper;
    std::function<DesktopSpace()> m_space;
};

} // namespace vantrel
