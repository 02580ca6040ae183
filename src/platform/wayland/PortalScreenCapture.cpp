#include "PortalScreenCapture.h"

namespace vantrel {

QCoro::Task<ShareableContent> PortalScreenCapture::shareableContent(bool excludeDesktopWindows,
                                                                    bool onScreenWindowsOnly) {
    Q_UNUSED(excludeDesktopWindows);
    Q_UNUSED(onScreenWindowsOnly);
    const QSize size = desktopSize();
    ShareableContent content;
    if (!size.isEmpty())
        content.displays.append({desktopDisplayID, QRectF(QPointF(), QSizeF(size)),
                                 double(size.width()), double(size.height())});
    co_return content;
}

QCoro::Task<QImage> PortalScreenCapture::captureImage(ContentFilter filter,
                                                      StreamConfiguration configuration) {
    const auto* display = std::get_if<DisplayFilter>(&filter);
    if (!display || display->displayID != desktopDisplayID)
        throw PlatformError{PortalScreenshot::errorDomain, 2,
                            QStringLiteral("Without Vantrel's GNOME Shell extension only the "
                                           "whole desktop can be pictured.")};
    if (configuration.width <= 0 || configuration.height <= 0)
        throw PlatformError{PortalScreenshot::errorDomain, 3,
                            QStringLiteral("The picture size %1×%2 is invalid.")
                                .arg(configuration.width)
                                .arg(configuration.height)};
    QImage picture = takePicture();
    const QSize wanted(configuration.width, configuration.height);
    if (picture.size() != wanted)
        picture = picture.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    co_return picture;
}

QSize PortalScreenCapture::desktopSize() {
    if (m_lastSize.isEmpty()) {
        try {
            takePicture();
        } catch (const PlatformError&) {
            // No size: no displays, which the capture reports.
        }
    }
    return m_lastSize;
}

QImage PortalScreenCapture::takePicture() {
    auto taken = m_portal.take();
    if (auto* failed = std::get_if<PlatformError>(&taken))
        throw *failed;
    QImage picture = std::get<QImage>(std::move(taken));
    m_lastSize = picture.size();
    return picture;
}

} // namespace vantrel
