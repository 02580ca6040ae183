#pragma once

#include "../Platform.h"
#include "AtspiAccessibility.h"
#include "CapturePointScreens.h"
#include "DesktopWorkspace.h"
#include "LazyClipboardHandoff.h"
#include "PackageManagerUpdater.h"
#include "X11HotKeys.h"
#include "X11MouseMonitor.h"
#include "X11Pasteboard.h"
#include "X11ScreenCapture.h"
#include "X11Screens.h"
#include "X11WindowServer.h"
#include "XcbConnection.h"
#include "XdgAutostartLoginItem.h"

#include <memory>
#include <optional>

namespace vantrel {

// The real desktop: an X11 session with AT-SPI. It owns every platform service, all sharing one
// connection to the X server.
class LinuxDesktop final {
  public:
    struct Options {
        QString executable; // what login items start; the clipboard server is found beside it
        X11Pasteboard::Mirroring clipboard = X11Pasteboard::Mirroring::onHandOff;
    };

    // None, with a one-line reason, when there is no X server to talk to.
    static std::unique_ptr<LinuxDesktop> open(const Options& options, QString& reason);

    LinuxDesktop(const LinuxDesktop&) = delete;
    LinuxDesktop& operator=(const LinuxDesktop&) = delete;

    // The services as the core sees them, with the Linux vocabulary.
    Platform platform();

    // Captures see the cursor at this bottom-left point; the real pointer does not move.
    void moveMouse(QPointF bottomLeftPoint) { m_capturePoint.setPoint(bottomLeftPoint); }
    Pasteboard& pasteboard() { return m_pasteboard; }
    const QList<QUrl>& openedURLs() const { return m_workspace.openedURLs(); }
    // Whether windows can be translucent: a compositing manager is running.
    bool hasCompositor() const;
    // Starts the clipboard server now, so that it is up when the capture ends.
    void prepareClipboardHandOff() { m_clipboard.prepare(); }
    // Leaves the pasteboard on the X11 clipboard after this process exits; the reason when not.
    std::optional<QString> handOffClipboard() { return m_clipboard.handOff(m_pasteboard); }

  private:
    LinuxDesktop(std::unique_ptr<XcbConnection> connection, const Options& options);

    Options m_options;
    std::unique_ptr<XcbConnection> m_connection;
    X11WindowServer m_windowServer;
    X11Screens m_screens;
    CapturePointScreens m_capturePoint;
    X11ScreenCapture m_screenCapture;
    X11MouseMonitor m_mouseMonitor;
    X11HotKeys m_hotKeys;
    AtspiAccessibility m_accessibility;
    DesktopWorkspace m_workspace;
    XdgAutostartLoginItem m_loginItem;
    PackageManagerUpdater m_updater;
    X11Pasteboard m_pasteboard;
    LazyClipboardHandoff m_clipboard;
};

} // namespace vantrel
