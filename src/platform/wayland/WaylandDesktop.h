#pragma once

#include "../Pasteboard.h"
#include "../Platform.h"
#include "../linux/AtspiAccessibility.h"
#include "../linux/CapturePointScreens.h"
#include "../linux/DesktopWorkspace.h"
#include "../linux/LazyClipboardHandoff.h"
#include "../linux/PackageManagerUpdater.h"
#include "../linux/XdgAutostartLoginItem.h"
#include "GnomeShellHelper.h"
#include "HelperHotKeys.h"
#include "HelperScreenCapture.h"
#include "HelperScreens.h"
#include "HelperWindowServer.h"
#include "NoGlobalMouseMonitor.h"
#include "WaylandPasteboard.h"
#include "WaylandPlacement.h"

#include <memory>

namespace vantrel {

// A GNOME session on Wayland: the compositor's part through Vantrel's GNOME Shell extension,
// accessibility through AT-SPI placed by it, and a command's clipboard served by the clipboard
// server as on X11.
class WaylandDesktop final {
  public:
    // None, with the reason a user reads, when the extension does not answer as appVersion's.
    // A long-running app's clipboard follows every payload; a command's is handed over once.
    enum class Clipboard { everyPayload, onHandOff };
    static std::unique_ptr<WaylandDesktop> open(const QString& executable,
                                                const QString& appVersion, QString& reason,
                                                Clipboard clipboard = Clipboard::onHandOff);

    WaylandDesktop(const WaylandDesktop&) = delete;
    WaylandDesktop& operator=(const WaylandDesktop&) = delete;

    Platform platform();
    CompositorHelper& helper() { return *m_helper; }
    // Where the core's origin (the primary monitor's corner) lies in the compositor's logical
    // pixels, which Qt's outputs on Wayland count in.
    QPoint outputsOrigin() const { return m_screens.space().primaryOrigin.toPoint(); }

    // Captures see the cursor at this bottom-left point; the real pointer does not move.
    void moveMouse(QPointF bottomLeftPoint) { m_capturePoint.setPoint(bottomLeftPoint); }
    Pasteboard& pasteboard() { return m_pasteboard; }
    const QList<QUrl>& openedURLs() const { return m_workspace.openedURLs(); }
    // Starts the clipboard server now, so that it is up when the capture ends.
    void prepareClipboardHandOff() { m_clipboard.prepare(); }
    // Leaves the pasteboard on the session's clipboard after this process exits; the reason when
    // not.
    std::optional<QString> handOffClipboard() { return m_clipboard.handOff(m_pasteboard); }

  private:
    WaylandDesktop(std::unique_ptr<GnomeShellHelper> helper, const QString& executable,
                   Clipboard clipboard);

    std::unique_ptr<GnomeShellHelper> m_helper;
    HelperScreens m_screens;
    CapturePointScreens m_capturePoint;
    HelperWindowServer m_windowServer;
    HelperScreenCapture m_screenCapture;
    WaylandPlacement m_placement;
    AtspiAccessibility m_accessibility;
    HelperHotKeys m_hotKeys;
    NoGlobalMouseMonitor m_mouseMonitor;
    DesktopWorkspace m_workspace;
    XdgAutostartLoginItem m_loginItem;
    PackageManagerUpdater m_updater;
    WaylandPasteboard m_pasteboard;
    LazyClipboardHandoff m_clipboard;
};

} // namespace vantrel
