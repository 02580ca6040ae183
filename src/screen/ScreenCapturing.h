#pragma once

#include "CapturedScreen.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QRectF>

#include <optional>

namespace vantrel {

// Whether a capture also wants its picture as a PNG: the encoding then starts the moment the
// pixels exist, beside the JPEG, and comes with the record (CapturedScreen::png).
enum class PngWanted { no, yes };

// Takes screenshots. Throws ScreenCaptureError, or the platform's own PlatformError unchanged.
class ScreenCapturing {
  public:
    virtual ~ScreenCapturing() = default;

    // The front window, or every display when there is none; empty means no screenshot.
    virtual QCoro::Task<QList<CapturedScreen>>
    capture(bool windowOnly, std::optional<quint32> excludeWindowNumber, PngWanted png) = 0;
    // An area in bottom-left space.
    virtual QCoro::Task<CapturedScreen> capture(QRectF regionInScreenCoordinates,
                                                PngWanted png) = 0;
};

} // namespace vantrel
