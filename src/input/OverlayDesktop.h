#pragma once

#include <QPoint>

#include <functional>

namespace vantrel {

// What the area overlay's windows must know of the desktop they cover.
struct OverlayDesktop {
    // A compositor blends them over the screen; else each screen is pictured and dimmed.
    bool translucentWindows = false;
    // On Wayland: where the core's origin lies in the compositor's logical pixels now, so that
    // each window can go full screen on the output showing its screen.
    std::function<QPoint()> outputsOrigin;
};

} // namespace vantrel
