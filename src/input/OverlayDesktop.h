#pragma once

#include <QPoint>

#include <optional>

namespace vantrel {

// What the area overlay's windows must know of the desktop they cover.
struct OverlayDesktop {
    // A compositor blends them over the screen; else each screen is pictured and dimmed.
    bool translucentWindows = false;
    // On Wayland: where the core's origin lies in the compositor's logical pixels, so that each
    // window can go full screen on the output showing its screen.
    std::optional<QPoint> outputsOrigin;
};

} // namespace vantrel
