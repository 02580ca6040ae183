#pragma once

#include "DesktopSpace.h"

#include <QRect>
#include <QRectF>

#include <optional>

namespace vantrel {

// What an element's AT-SPI extents (root pixels) say about its frame in the core's points.
struct AtspiGeometry {
    // None when the element is not on screen: scrolled out (AT-SPI then reports G_MININT
    // coordinates), without the SHOWING state, or with a negative size.
    static std::optional<QRectF> frame(const QRect& rootPixels, bool showing,
                                       const DesktopSpace& space);
};

} // namespace vantrel
