#pragma once

#include <QRect>
#include <QRectF>

namespace vantrel {

// Where a rectangle in the core's top-left global points lies on Qt's virtual desktop: the core
// counts from the primary screen's corner, Qt from the virtual desktop's, in the same unit. On a
// desktop whose primary monitor is not at the origin (below or right of another) they differ.
struct ScreenGeometry {
    static QRect toQtGlobal(const QRectF& topLeftPoints);
};

} // namespace vantrel
