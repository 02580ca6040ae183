#pragma once

#include <QPointF>
#include <QRectF>

namespace vantrel {

// How the X server's root-window pixels relate to the global space the core works in: the core's
// origin is the top-left corner of the primary screen (the first one it lists) and its unit is the
// point, so a root pixel is moved by that screen's origin and divided by the desktop's scale. Every
// coordinate the Linux backend hands over or takes in goes through here, and nowhere else.
struct DesktopSpace {
    QPointF primaryOrigin; // root pixels
    double scale = 1.0;    // pixels per point

    QPointF toPoints(QPointF rootPixel) const { return (rootPixel - primaryOrigin) / scale; }
    QRectF toPoints(const QRectF& rootPixels) const {
        return {toPoints(rootPixels.topLeft()), rootPixels.size() / scale};
    }
    QPointF toPixels(QPointF point) const { return point * scale + primaryOrigin; }
    QRectF toPixels(const QRectF& points) const {
        return {toPixels(points.topLeft()), points.size() * scale};
    }
};

} // namespace vantrel
