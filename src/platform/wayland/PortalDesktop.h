#pragma once

#include "../Pasteboard.h"
#include "../Platform.h"
#include "../linux/AtspiAccessibility.h"
#include "../linux/DesktopWorkspace.h"
#include "../linux/LazyClipboardHandoff.h"
#include "../linux/PackageManagerUpdater.h"
#include "../linux/XdgAutostartLoginItem.h"
#include "ActiveWindowServer.h"
#include "NoGlobalMouseMonitor.h"
#include "NoHotKeys.h"
#include "PortalScreenCapture.h"
#include "PortalScreens.h"
#include "PortalScreenshot.h"

namespace vantrel {

// GNOME on Wayland without Vantrel's extension: what a client can do on its own. Pictures of the
// whole desktop through the Screenshot portal, the front window from AT-SPI's active state, its
// elements' frames relative to that window (only the compositor knows where it is), no pointer
// and no shortcuts. The clipboard is served as with the extension: it needs no compositor helper.
class PortalDesktop final {
  public:
    explicit PortalDesktop(const QString& executable);

    PortalDesktop(const PortalDesktop&) = delete;
    PortalDesktop& operator=(const PortalDesktop&) = delete;

    Platform platform();
    // There is no pointer to place: a capture point is refused before a capture starts.
    void moveMouse(QPointF bottomLeftPoint) { Q_UNUSED(bottomLeftPoint); }
    Pasteboard& pasteboard() { return m_pasteboard; }
    const QList<QUrl>& openedURLs() const { return m_workspace.openedURLs(); }
    // Starts the clipboard server now, so that it is up when the capture ends.
    void prepareClipboardHandOff() { m_clipboard.prepare(); }
    // Leaves the pasteboard on the session's clipboard after this process exits; the reason when
    // not.
    std::optional<QString> handOffClipboard() { return m_clipboard.handOff(m_pasteboard); }

  private:
    PortalScreenshot m_portal;
    PortalScreenCapture m_screenCapture;
    PortalScreens m_screens;
    ActiveWindowServer m_windowServer;
    AtspiAccessibility m_accessibility;
    NoHotKeys m_hotKeys;
    NoGlobalMouseMonitor m_mouseMonitor;
    DesktopWorkspace m_workspace;
    XdgAutostartLoginItem m_loginItem;
    PackageManagerUpdater m_updater;
    Pasteboard m_pasteboard;
    LazyClipboardHandoff m_clipboard;
};

} // namespace vantrel
