#pragma once

#include <QPointF>
#include <QRectF>

#include <optional>

namespace vantrel {

class ScreenList;

// The one place that converts between bottom-left space (cursor, screens, the dragged area) and
// top-left space (accessibility, window lists, screen pictures). Only the first screen's frame
// enters the formula, read afresh at every call.
struct CaptureCoordinates {
    // The top edge of the first screen in bottom-left space; none without screens.
    static std::optional<double> globalTopY(const ScreenList& screens);
    static QPointF topLeftPoint(const ScreenList& screens, QPointF appKitPoint);
    // Its own inverse, so it also converts a top-left rectangle back.
    static QRectF topLeftRect(const ScreenList& screens, QRectF appKitRect);
};

} // namespace vantrel
