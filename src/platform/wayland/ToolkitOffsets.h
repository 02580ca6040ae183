#pragma once

#include "../CompositorHelper.h"
#include "../linux/AtspiPlacement.h"

#include <QList>

#include <optional>

namespace vantrel {

// On Wayland AT-SPI extents are relative to the window, and where a toolkit puts their (0, 0)
// within its surface differs: this is the one table of those offsets (docs/linux-wayland.md).
struct ToolkitOffsets {
    // The origin of the AT-SPI window's extents in the compositor's space.
    static AtspiPlacement::Origin origin(const CompositorWindow& window,
                                         const AtspiPlacement::Window& atspiWindow);
    // The compositor's window that is this AT-SPI window: same pid and title, the front-most
    // first; else the only window of that pid.
    static std::optional<CompositorWindow> match(const QList<CompositorWindow>& frontToBack,
                                                 const AtspiPlacement::Window& atspiWindow);
};

} // namespace vantrel
