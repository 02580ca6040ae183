#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QRectF>

#include <optional>

namespace vantrel {

// Where a rectangle in the core's top-left global points lies on Qt's virtual desktop: the core
// counts from the primary screen's corner, Qt from the virtual desktop's, in the same unit. On a
// desktop whose primary monitor is not at the origin (below or right of another) they differ.
struct ScreenGeometry {
    static QRect toQtGlobal(const QRectF& topLeftPoints);

    // On Wayland the compositor places windows, so a panel goes full screen on the output that
    // shows its screen. Qt's outputs carry the compositor's logical rectangles (xdg-output), whose
    // origin is not the core's: the compositor helper tells where the core's origin lies. The
    // output whose rectangle is exactly the screen's; none when Qt and the helper disagree.
    static std::optional<qsizetype> outputShowing(const QRectF& topLeftPoints, QPoint coreOrigin,
                                                  const QList<QRect>& outputs);
};

} // namespace vantrel
