#pragma once

#include "../WindowServer.h"

#include <QByteArray>
#include <QRect>

namespace vantrel {

class XcbConnection;

// One top-level window as the X server and the window manager describe it.
struct X11Window {
    quint32 id = 0;            // the client window (the X window id)
    QRect frame;               // root pixels, window manager decoration included
    qint64 layer = 0;          // X11Translation's layers
    std::optional<qint64> pid; // _NET_WM_PID
    std::optional<QString> name;
    QByteArray instance;  // WM_CLASS instance name: the application identifier
    QByteArray className; // WM_CLASS class name: the application's display name
    bool desktop = false; // _NET_WM_WINDOW_TYPE_DESKTOP
    bool onScreen = true; // mapped, on the current desktop, not minimised
};

// The window list from EWMH (_NET_CLIENT_LIST_STACKING), or from the root's children when no
// EWMH window manager runs. docs/linux-x11.md maps every field.
class X11WindowServer final : public WindowServer {
  public:
    explicit X11WindowServer(XcbConnection& connection);

    std::optional<QList<WindowListEntry>> onScreenWindows() const override;
    std::optional<QString> applicationName(qint32 pid) const override;
    qint32 ownPid() const override;
    std::optional<RunningApplication> frontmostApplication() const override;

    // Top-level windows front to back, helper windows left out; the off-screen ones (unmapped,
    // minimised, on another desktop) too when asked. None when the server is gone.
    std::optional<QList<X11Window>> windows(bool includeOffScreen) const;
    // The one window, as windows() would list it; none when it is gone or a helper.
    std::optional<X11Window> window(quint32 id) const;
    // _NET_ACTIVE_WINDOW; without a window manager the top-level window with the keyboard
    // focus; none without one.
    std::optional<quint32> activeWindow() const;

  private:
    // Whether an EWMH window manager runs now (its root properties may outlive it).
    bool windowManagerRuns() const;
    QList<quint32> stackingFrontToBack(bool ewmh) const;
    // Without a window manager, its properties (frame extents, desktops, states) are stale.
    QList<std::optional<X11Window>> describe(const QList<quint32>& ids, bool ewmh) const;

    XcbConnection& m_connection;
};

} // namespace vantrel
