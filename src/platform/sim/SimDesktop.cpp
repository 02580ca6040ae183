#include "SimDesktop.h"

#include "SceneLoader.h"
#include "SimPainter.h"

#include <cmath>

namespace vantrel {

SimDesktop::SimDesktop(Scene scene)
    : m_scene(std::move(scene)), m_accessibility(m_scene), m_windowServer(m_scene),
      m_screens(m_scene), m_screenCapture(m_scene), m_input(m_scene),
      m_loginItem(m_scene.loginItem) {}

std::unique_ptr<SimDesktop> SimDesktop::fromFile(const QString& path) {
    return std::make_unique<SimDesktop>(SceneLoader::fromFile(path));
}

Platform SimDesktop::platform() {
    return Platform{
        m_accessibility,
        m_windowServer,
        m_screens,
        m_screenCapture,
        m_input,
        m_input,
        m_workspace,
        m_loginItem,
        m_updater,
        m_pasteboard,
        PlatformVocabulary::macOS(),
        AppIdentity{m_scene.bundleName, m_scene.bundleIdentifier, std::nullopt, std::nullopt}};
}

void SimDesktop::raiseWindow(quint32 id) {
    for (qsizetype i = 0; i < m_scene.windows.size(); ++i) {
        if (m_scene.windows[i].id == id) {
            m_scene.frontmost = m_scene.windows[i].pid;
            m_scene.windows.move(i, 0);
            return;
        }
    }
}

void SimDesktop::setShareableContentError(std::optional<PlatformError> error) {
    m_screenCapture.setShareableContentError(std::move(error));
}

void SimDesktop::setCaptureImageError(std::optional<PlatformError> error) {
    m_screenCapture.setCaptureImageError(std::move(error));
}

QImage SimDesktop::screenshot(qsizetype screenIndex) const {
    const SceneScreen& screen = m_scene.screens.at(screenIndex);
    const QSize pixels(static_cast<int>(std::trunc(screen.frame.width() * screen.scale)),
                       static_cast<int>(std::trunc(screen.frame.height() * screen.scale)));
    return SimPainter::paintDisplay(m_scene, screenIndex, pixels);
}

} // namespace vantrel
