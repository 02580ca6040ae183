#include "AtspiGeometry.h"

#include <limits>

namespace vantrel {

namespace {

// G_MININT, spelled without GLib so the header stays free of it.
constexpr int scrolledOut = std::numeric_limits<int>::min();

} // namespace

std::optional<QRectF> AtspiGeometry::frame(const QRect& rootPixels, bool showing,
                                           const DesktopSpace& space) {
    if (!showing || rootPixels.x() == scrolledOut || rootPixels.y() == scrolledOut ||
        rootPixels.width() < 0 || rootPixels.height() < 0)
        return std::nullopt;
    return space.toPoints(QRectF(rootPixels));
}

} // namespace vantrel
