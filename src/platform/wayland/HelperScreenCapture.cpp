#include "HelperScreenCapture.h"

#include <algorithm>

namespace vantrel {

namespace {

PlatformError helperCaptureError(int code, const QString& description) {
    return {HelperScreenCapture::errorDomain, code, description};
}

} // namespace

const QString HelperScreenCapture::errorDomain = QStringLiteral("HelperScreenCapture");

QCoro::Task<ShareableContent> HelperScreenCapture::shareableContent(bool excludeDesktopWindows,
                                                                    bool onScreenWindowsOnly) {
    Q_UNUSED(excludeDesktopWindows); // the helper lists no desktop windows
    Q_UNUSED(onScreenWindowsOnly);   // nor windows that are not on screen
    const auto windows = m_helper.windows();
    if (!windows)
        throw helperCaptureError(pictureFailedCode,
                                 QStringLiteral("GNOME Shell does not list its windows."));
    const DesktopSpace space = m_screens.space();
    ShareableContent content;
    for (const X11Monitor& monitor : m_screens.monitors()) {
        const QRectF frame = space.toPoints(QRectF(monitor.pixels));
        content.displays.append({monitor.id, frame, frame.width(), frame.height()});
    }
    for (const CompositorWindow& window : *windows)
        content.windows.append({quint32(window.id), space.toPoints(QRectF(window.frame)),
                                window.title, true, 0, std::nullopt});
    co_return content;
}

QCoro::Task<QImage> HelperScreenCapture::captureImage(ContentFilter filter,
                                                      StreamConfiguration configuration) {
    if (configuration.width <= 0 || configuration.height <= 0) {
        throw helperCaptureError(invalidParameterCode,
                                 QStringLiteral("The picture size %1×%2 is invalid.")
                                     .arg(configuration.width)
                                     .arg(configuration.height));
    }
    auto picture = m_helper.picture(sourceRect(filter));
    if (auto* failed = std::get_if<PlatformError>(&picture))
        throw helperCaptureError(pictureFailedCode, failed->description);
    QImage image = std::get<QImage>(std::move(picture));
    const QSize wanted(configuration.width, configuration.height);
    if (image.size() != wanted)
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    co_return image;
}

QRect HelperScreenCapture::sourceRect(const ContentFilter& filter) {
    if (const auto* display = std::get_if<DisplayFilter>(&filter)) {
        for (const X11Monitor& monitor : m_screens.monitors()) {
            if (monitor.id == display->displayID)
                return monitor.pixels;
        }
        throw helperCaptureError(
            noSuchDisplayCode,
            QStringLiteral("The display %1 is not connected.").arg(display->displayID));
    }
    const quint32 id = std::get<WindowFilter>(filter).windowID;
    const auto windows = m_helper.windows().value_or(QList<CompositorWindow>());
    const auto window =
        std::find_if(windows.begin(), windows.end(),
                     [id](const CompositorWindow& each) { return quint32(each.id) == id; });
    if (window == windows.end())
        throw helperCaptureError(noSuchWindowCode,
                                 QStringLiteral("The window 0x%1 has closed.").arg(id, 0, 16));
    // Only what is on a monitor can be pictured.
    QRect monitors;
    for (const X11Monitor& monitor : m_screens.monitors())
        monitors = monitors.united(monitor.pixels);
    const QRect visible = window->frame.intersected(monitors);
    if (visible.isEmpty())
        throw helperCaptureError(
            notOnScreenCode,
            QStringLiteral("The window 0x%1 is not on any screen.").arg(id, 0, 16));
    return visible;
}

} // namespace vantrel
