#pragma once

#include "../WindowServer.h"

namespace vantrel {

// The window list as far as AT-SPI tells it without the compositor: the active window alone, its
// place unknown.
class ActiveWindowServer final : public WindowServer {
  public:
    std::optional<QList<WindowListEntry>> onScreenWindows() const override;
    std::optional<QString> applicationName(qint32 pid) const override;
    qint32 ownPid() const override;
    std::optional<RunningApplication> frontmostApplication() const override;
};

} // namespace vantrel
