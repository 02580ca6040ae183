#pragma once

#include "../Pasteboard.h"
#include "../Platform.h"
#include "Scene.h"
#include "SimAccessibility.h"
#include "SimInput.h"
#include "SimLoginItem.h"
#include "SimScreenCapture.h"
#include "SimScreens.h"
#include "SimUpdater.h"
#include "SimWindowServer.h"
#include "SimWorkspace.h"

#include <memory>

namespace vantrel {

// A whole simulated desktop built from a scene: it owns every platform service and the state they
// share, so changing the desktop here is seen by all of them at once.
class SimDesktop final {
  public:
    explicit SimDesktop(Scene scene);
    // Throws SceneError when the file cannot be used.
    static std::unique_ptr<SimDesktop> fromFile(const QString& path);

    SimDesktop(const SimDesktop&) = delete;
    SimDesktop& operator=(const SimDesktop&) = delete;

    // The services as the core sees them, with the macOS vocabulary and the scene's identity.
    Platform platform();
    const Scene& scene() const { return m_scene; }

    SimAccessibility& accessibility() { return m_accessibility; }
    SimWindowServer& windowServer() { return m_windowServer; }
    SimScreens& screens() { return m_screens; }
    SimScreenCapture& screenCapture() { return m_screenCapture; }
    SimInput& input() { return m_input; }
    SimWorkspace& workspace() { return m_workspace; }
    SimLoginItem& loginItem() { return m_loginItem; }
    SimUpdater& updater() { return m_updater; }
    Pasteboard& pasteboard() { return m_pasteboard; }
    const Pasteboard& pasteboard() const { return m_pasteboard; }

    const QList<QUrl>& openedURLs() const { return m_workspace.openedURLs(); }

    void setAccessibilityTrusted(bool trusted) { m_scene.accessibilityGranted = trusted; }
    void setScreenRecordingGranted(bool granted) { m_scene.screenRecordingGranted = granted; }
    void setFrontmost(std::optional<qint32> pid) { m_scene.frontmost = pid; }
    void setShareableContentError(std::optional<PlatformError> error);
    void setCaptureImageError(std::optional<PlatformError> error);
    bool pressHotKey(quint32 id) { return m_input.pressHotKey(id); }
    void moveMouse(QPointF location) { m_input.moveMouse(location); }
    // Brings the window to the front and makes its application the frontmost one.
    void raiseWindow(quint32 id);

    // A screen as it looks, at its backing scale.
    QImage screenshot(qsizetype screenIndex) const;

  private:
    Scene m_scene;
    SimAccessibility m_accessibility;
    SimWindowServer m_windowServer;
    SimScreens m_screens;
    SimScreenCapture m_screenCapture;
    SimInput m_input;
    SimWorkspace m_workspace;
    SimLoginItem m_loginItem;
    SimUpdater m_updater;
    Pasteboard m_pasteboard;
};

} // namespace vantrel
