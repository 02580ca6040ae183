#include "PortalScreens.h"

namespace vantrel {

QList<ScreenInfo> PortalScreens::screens() const {
    const QSize size = m_capture.desktopSize();
    if (size.isEmpty())
        return {};
    const QRectF frame{QPointF(), QSizeF(size)};
    return {ScreenInfo{frame, frame, 1.0, 0.0, PortalScreenCapture::desktopDisplayID}};
}

std::optional<ScreenInfo> PortalScreens::mainScreen() const {
    const QList<ScreenInfo> all = screens();
    if (all.isEmpty())
        return std::nullopt;
    return all.first();
}

} // namespace vantrel
