#include "CaptureCoordinates.h"

#include "platform/ScreenList.h"

namespace vantrel {

std::optional<double> CaptureCoordinates::globalTopY(const ScreenList& screens) {
    const QList<ScreenInfo> all = screens.screens();
    if (all.isEmpty())
        return std::nullopt;
    const QRectF frame = all.first().frame.normalized();
    return frame.y() + frame.height();
}

QPointF CaptureCoordinates::topLeftPoint(const ScreenList& screens, QPointF appKitPoint) {
    const auto topY = globalTopY(screens);
    if (!topY)
        return appKitPoint;
    return {appKitPoint.x(), *topY - appKitPoint.y()};
}

QRectF CaptureCoordinates::topLeftRect(const ScreenList& screens, QRectF appKitRect) {
    const auto topY = globalTopY(screens);
    if (!topY)
        return appKitRect;
    const QRectF rect = appKitRect.normalized();
    return {rect.x(), *topY - (rect.y() + rect.height()), rect.width(), rect.height()};
}

} // namespace vantrel
