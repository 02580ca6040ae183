#pragma once

#include "../ScreenList.h"
#include "DesktopSpace.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

#include <optional>

namespace vantrel {

// One RandR monitor (or the root window when RandR is missing), in root pixels.
struct X11Monitor {
    quint32 id = 0; // the RandR output of the monitor, or its position + 1
    QRect pixels;   // root pixels
    bool primary = false;
};

// What a client window says about its kind (EWMH _NET_WM_WINDOW_TYPE and _NET_WM_STATE), as
// plain flags so the layer can be worked out without a server.
struct X11WindowKind {
    enum class Type {
        Normal,
        Desktop,
        Dock,
        Toolbar,
        Menu,
        Utility,
        Splash,
        Dialog,
        DropdownMenu,
        PopupMenu,
        Tooltip,
        Notification,
        Combo,
        Dnd,
    };
    Type type = Type::Normal;
    bool above = false;            // _NET_WM_STATE_ABOVE
    bool overrideRedirect = false; // not managed by the window manager (menus, tooltips)
};

// _NET_FRAME_EXTENTS: the window manager's decoration around the client, in pixels.
struct X11FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

// A modifier combination of the seam (control 0x1000, option 0x0800, shift 0x0200, command
// 0x0100) as X modifier bits, and the key combinations a grab must cover so that Caps Lock and
// Num Lock do not break the shortcut.
struct X11KeyGrab {
    quint8 keycode = 0;
    quint16 modifiers = 0;
};

// The pure translations of the X11 backend: every table and every conversion that does not need
// a server, so the tests can pin them. docs/linux-x11.md describes them.
struct X11Translation {
    // Layer values, after the macOS window levels the core was written against.
    static constexpr qint64 normalLayer = 0;
    static constexpr qint64 floatingLayer =
        3;                                  // keep-above, utility, toolbar, torn-off menu, splash
    static constexpr qint64 dockLayer = 20; // panels and docks
    static constexpr qint64 notificationLayer = 25;     // notification bubbles
    static constexpr qint64 popupLayer = 101;           // menus, combo lists, unmanaged windows
    static constexpr qint64 tooltipLayer = 200;         // tooltips
    static constexpr qint64 dragLayer = 500;            // drag-and-drop icons
    static constexpr qint64 desktopLayer = -2147483623; // the desktop (only ever listed by capture)

    static X11WindowKind::Type windowType(const QList<QByteArray>& typeAtomNames);
    static qint64 layer(const X11WindowKind& kind);
    // Windows GTK and others create as helpers: 1×1, 10×10.
    static bool isHelperSize(QSize pixels);

    // The window's rectangle in root pixels including the window manager's frame: the client's
    // position in the root (inside its border), widened by its border and the frame extents.
    static QRect frameRect(QRect clientInRoot, int borderWidth,
                           const std::optional<X11FrameExtents>& extents);

    // The scale the desktop asks for: Xft.dpi / 96 from the root's RESOURCE_MANAGER, 1 without.
    static double scaleFromResources(const QByteArray& resourceManager);
    // Primary (or, without one, the monitor at the root origin, else the first) first, the rest
    // left to right, top to bottom.
    static QList<X11Monitor> orderedMonitors(QList<X11Monitor> monitors);
    // The desktop space of ordered monitors: the first one's origin and the scale.
    static DesktopSpace space(const QList<X11Monitor>& orderedMonitors, double scale);
    // Monitors (ordered) as the core's screens: bottom-left global points, visible frame the
    // frame within the work area (root pixels) when there is one.
    static QList<ScreenInfo> screens(const QList<X11Monitor>& orderedMonitors, double scale,
                                     const std::optional<QRect>& workArea);
    // The monitor holding the largest part of a rectangle (root pixels): its index, the earlier
    // one on a tie, 0 when none holds any of it.
    static qsizetype monitorWithMost(const QList<X11Monitor>& monitors, const QRect& rect);
    // The current desktop's rectangle of _NET_WORKAREA (four numbers per desktop), the first
    // desktop's when the list has none for it; none when there is none or it is empty.
    static std::optional<QRect> workArea(const QList<quint32>& areas, quint32 currentDesktop);
    // A top-left global point in the bottom-left space of the given ordered monitors.
    static QPointF bottomLeft(const QList<X11Monitor>& orderedMonitors, double scale,
                              QPointF topLeftPoint);

    // The X keycode (evdev code + 8) of a macOS ANSI virtual key code; none for keys outside the
    // table.
    static std::optional<quint8> keycode(quint32 macKeyCode);
    // The X modifier mask of the seam's modifier bits; none when an unknown bit is set.
    static std::optional<quint16> modifierMask(quint32 seamModifiers);
    // The modifier masks that are ignored when matching a press: Lock and Mod2 (Num Lock).
    static constexpr quint16 lockMask = 0x0002;
    static constexpr quint16 numLockMask = 0x0010;
    static QList<quint16> grabModifierVariants(quint16 modifiers);
    // The meaningful modifiers of a key event's state: Shift, Control, Mod1 and Mod4.
    static quint16 significantModifiers(quint16 state);
};

} // namespace vantrel
