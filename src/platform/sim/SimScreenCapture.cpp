#include "SimScreenCapture.h"

#include "SimPainter.h"

namespace vantrel {

namespace {

const QString errorDomain = QStringLiteral("SCStreamErrorDomain");

PlatformError noCaptureSource() {
    return {errorDomain, SimScreenCapture::noCaptureSourceCode,
            QStringLiteral("The capture source is not available.")};
}

std::optional<qsizetype> screenIndex(const Scene& scene, quint32 displayID) {
    for (qsizetype index = 0; index < scene.screens.size(); ++index) {
        if (scene.screens[index].displayID == displayID)
            return index;
    }
    return std::nullopt;
}

std::optional<qsizetype> windowIndex(const Scene& scene, quint32 windowID) {
    const SceneWindow* window = scene.window(windowID);
    return window ? std::optional(window - scene.windows.constData()) : std::nullopt;
}

std::optional<OwningApplication> owner(const Scene& scene, qint32 pid) {
    if (pid == scene.self.pid)
        return OwningApplication{scene.bundleIdentifier};
    if (const SceneApp* app = scene.app(pid))
        return OwningApplication{app->bundleId};
    return std::nullopt;
}

} // namespace

PlatformError SimScreenCapture::userDeclinedError() {
    return {errorDomain, userDeclinedCode,
            QStringLiteral("The user declined TCCs for application, window, display capture")};
}

SimScreenCapture::SimScreenCapture(const Scene& scene) : m_scene(scene) {}

QCoro::Task<ShareableContent> SimScreenCapture::shareableContent(bool excludeDesktopWindows,
                                                                 bool onScreenWindowsOnly) {
    ++m_contentQueries;
    if (m_contentError)
        throw *m_contentError;
    if (!m_scene.screenRecordingGranted)
        throw userDeclinedError();
    co_return content(excludeDesktopWindows, onScreenWindowsOnly);
}

QCoro::Task<QImage> SimScreenCapture::captureImage(ContentFilter filter,
                                                   StreamConfiguration configuration) {
    m_captureRequests.append({filter, configuration});
    if (m_captureError)
        throw *m_captureError;
    if (!m_scene.screenRecordingGranted)
        throw userDeclinedError();
    if (configuration.width <= 0 || configuration.height <= 0) {
        throw PlatformError{errorDomain, invalidParameterCode,
                            QStringLiteral("The parameter passed in is invalid.")};
    }
    co_return picture(filter, QSize(configuration.width, configuration.height));
}

bool SimScreenCapture::preflightScreenCaptureAccess() const {
    return m_scene.screenRecordingGranted;
}

bool SimScreenCapture::requestScreenCaptureAccess() {
    ++m_accessRequests;
    return m_scene.screenRecordingGranted;
}

void SimScreenCapture::setShareableContentError(std::optional<PlatformError> error) {
    m_contentError = std::move(error);
}

void SimScreenCapture::setCaptureImageError(std::optional<PlatformError> error) {
    m_captureError = std::move(error);
}

ShareableContent SimScreenCapture::content(bool excludeDesktopWindows,
                                           bool onScreenWindowsOnly) const {
    ShareableContent content;
    for (const SceneScreen& screen : m_scene.screens) {
        content.displays.append({screen.displayID, m_scene.topLeftFrame(screen),
                                 screen.frame.width(), screen.frame.height()});
    }
    for (const SceneWindow& window : m_scene.windows) {
        if ((onScreenWindowsOnly && !window.onScreen) || (excludeDesktopWindows && window.desktop))
            continue;
        content.windows.append({window.id, window.bounds, window.title, window.onScreen,
                                window.layer, owner(m_scene, window.pid)});
    }
    return content;
}

QImage SimScreenCapture::picture(const ContentFilter& filter, QSize pixels) const {
    if (const auto* display = std::get_if<DisplayFilter>(&filter)) {
        const auto index = screenIndex(m_scene, display->displayID);
        if (!index)
            throw noCaptureSource();
        return SimPainter::paintDisplay(m_scene, *index, pixels, display->excludedWindowIDs);
    }
    const auto index = windowIndex(m_scene, std::get<WindowFilter>(filter).windowID);
    if (!index)
        throw noCaptureSource();
    return SimPainter::paintWindow(m_scene, *index, pixels);
}

} // namespace vantrel
