#pragma once

#include "CapturedAccessibility.h"

#include <QPointF>
#include <QRectF>

#include <optional>

namespace vantrel {

// Takes an accessibility snapshot at a point or over an area (both in bottom-left space).
// Throws AccessibilityCaptureError.
class AccessibilityCapturing {
  public:
    virtual ~AccessibilityCapturing() = default;

    // An absent point means the live cursor position.
    virtual CapturedAccessibility captureUnderMouse(std::optional<QPointF> point,
                                                    std::optional<QRectF> regionInScreenCoordinates,
                                                    bool preferFrontWindow) = 0;
};

} // namespace vantrel
