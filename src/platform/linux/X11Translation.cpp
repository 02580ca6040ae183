#include "X11Translation.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vantrel {

namespace {

constexpr std::pair<const char*, X11WindowKind::Type> typeNames[] = {
    {"_NET_WM_WINDOW_TYPE_NORMAL", X11WindowKind::Type::Normal},
    {"_NET_WM_WINDOW_TYPE_DESKTOP", X11WindowKind::Type::Desktop},
    {"_NET_WM_WINDOW_TYPE_DOCK", X11WindowKind::Type::Dock},
    {"_NET_WM_WINDOW_TYPE_TOOLBAR", X11WindowKind::Type::Toolbar},
    {"_NET_WM_WINDOW_TYPE_MENU", X11WindowKind::Type::Menu},
    {"_NET_WM_WINDOW_TYPE_UTILITY", X11WindowKind::Type::Utility},
    {"_NET_WM_WINDOW_TYPE_SPLASH", X11WindowKind::Type::Splash},
    {"_NET_WM_WINDOW_TYPE_DIALOG", X11WindowKind::Type::Dialog},
    {"_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", X11WindowKind::Type::DropdownMenu},
    {"_NET_WM_WINDOW_TYPE_POPUP_MENU", X11WindowKind::Type::PopupMenu},
    {"_NET_WM_WINDOW_TYPE_TOOLTIP", X11WindowKind::Type::Tooltip},
    {"_NET_WM_WINDOW_TYPE_NOTIFICATION", X11WindowKind::Type::Notification},
    {"_NET_WM_WINDOW_TYPE_COMBO", X11WindowKind::Type::Combo},
    {"_NET_WM_WINDOW_TYPE_DND", X11WindowKind::Type::Dnd},
};

// macOS ANSI virtual key codes (kVK_ANSI_*, kVK_Return, …) → Linux evdev key codes
// (KEY_* of linux/input-event-codes.h). The X keycode is the evdev code + 8.
constexpr std::pair<quint32, quint8> macToEvdev[] = {
    {0x00, 30}, // A
    {0x01, 31}, // S
    {0x02, 32}, // D
    {0x03, 33}, // F
    {0x04, 35}, // H
    {0x05, 34}, // G
    {0x06, 44}, // Z
    {0x07, 45}, // X
    {0x08, 46}, // C
    {0x09, 47}, // V
    {0x0B, 48}, // B
    {0x0C, 16}, // Q
    {0x0D, 17}, // W
    {0x0E, 18}, // E
    {0x0F, 19}, // R
    {0x10, 21}, // Y
    {0x11, 20}, // T
    {0x12, 2},  // 1
    {0x13, 3},  // 2
    {0x14, 4},  // 3
    {0x15, 5},  // 4
    {0x16, 7},  // 6
    {0x17, 6},  // 5
    {0x18, 13}, // =
    {0x19, 10}, // 9
    {0x1A, 8},  // 7
    {0x1B, 12}, // -
    {0x1C, 9},  // 8
    {0x1D, 11}, // 0
    {0x1E, 27}, // ]
    {0x1F, 24}, // O
    {0x20, 22}, // U
    {0x21, 26}, // [
    {0x22, 23}, // I
    {0x23, 25}, // P
    {0x24, 28}, // Return
    {0x25, 38}, // L
    {0x26, 36}, // J
    {0x27, 40}, // '
    {0x28, 37}, // K
    {0x29, 39}, // ;
    {0x2A, 43}, // backslash
    {0x2B, 51}, // ,
    {0x2C, 53}, // /
    {0x2D, 49}, // N
    {0x2E, 50}, // M
    {0x2F, 52}, // .
    {0x30, 15}, // Tab
    {0x31, 57}, // Space
    {0x32, 41}, // `
    {0x33, 14}, // Delete (Backspace)
    {0x35, 1},  // Escape
};

constexpr quint16 shiftMask = 0x0001;
constexpr quint16 controlMask = 0x0004;
constexpr quint16 mod1Mask = 0x0008;
constexpr quint16 mod4Mask = 0x0040;

constexpr std::pair<quint32, quint16> seamModifierBits[] = {
    {0x1000, controlMask}, // control
    {0x0800, mod1Mask},    // option → Alt
    {0x0200, shiftMask},   // shift
    {0x0100, mod4Mask},    // command → Super
};

} // namespace

X11WindowKind::Type X11Translation::windowType(const QList<QByteArray>& typeAtomNames) {
    // The list is in order of preference: the first known type wins.
    for (const QByteArray& name : typeAtomNames) {
        for (const auto& [known, type] : typeNames) {
            if (name == known)
                return type;
        }
    }
    return X11WindowKind::Type::Normal;
}

qint64 X11Translation::layer(const X11WindowKind& kind) {
    using Type = X11WindowKind::Type;
    qint64 layer = normalLayer;
    switch (kind.type) {
    case Type::Normal:
    case Type::Dialog:
        layer = kind.overrideRedirect ? popupLayer : normalLayer;
        break;
    case Type::Desktop:
        return desktopLayer;
    case Type::Dock:
        layer = dockLayer;
        break;
    case Type::Toolbar:
    case Type::Menu:
    case Type::Utility:
    case Type::Splash:
        layer = floatingLayer;
        break;
    case Type::DropdownMenu:
    case Type::PopupMenu:
    case Type::Combo:
        layer = popupLayer;
        break;
    case Type::Tooltip:
        layer = tooltipLayer;
        break;
    case Type::Notification:
        layer = notificationLayer;
        break;
    case Type::Dnd:
        layer = dragLayer;
        break;
    }
    return kind.above ? std::max(layer, floatingLayer) : layer;
}

bool X11Translation::isHelperSize(QSize pixels) {
    return pixels.width() <= 10 && pixels.height() <= 10;
}

QRect X11Translation::frameRect(QRect clientInRoot, int borderWidth,
                                const std::optional<X11FrameExtents>& extents) {
    const X11FrameExtents frame = extents.value_or(X11FrameExtents{});
    return clientInRoot.adjusted(-borderWidth - frame.left, -borderWidth - frame.top,
                                 borderWidth + frame.right, borderWidth + frame.bottom);
}

double X11Translation::scaleFromResources(const QByteArray& resourceManager) {
    for (const QByteArray& line : resourceManager.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0 || line.left(colon).trimmed() != "Xft.dpi")
            continue;
        bool ok = false;
        const double dpi = line.mid(colon + 1).trimmed().toDouble(&ok);
        if (ok && dpi > 0)
            return dpi / 96.0;
    }
    return 1.0;
}

QList<X11Monitor> X11Translation::orderedMonitors(QList<X11Monitor> monitors) {
    std::stable_sort(
        monitors.begin(), monitors.end(), [](const X11Monitor& a, const X11Monitor& b) {
            return std::pair(a.pixels.x(), a.pixels.y()) < std::pair(b.pixels.x(), b.pixels.y());
        });
    auto primary = std::find_if(monitors.begin(), monitors.end(),
                                [](const X11Monitor& monitor) { return monitor.primary; });
    if (primary == monitors.end()) {
        primary = std::find_if(monitors.begin(), monitors.end(), [](const X11Monitor& monitor) {
            return monitor.pixels.contains(QPoint(0, 0));
        });
    }
    if (primary != monitors.end())
        std::rotate(monitors.begin(), primary, primary + 1);
    return monitors;
}

DesktopSpace X11Translation::space(const QList<X11Monitor>& orderedMonitors, double scale) {
    if (orderedMonitors.isEmpty())
        return {QPointF(0, 0), scale};
    return {QPointF(orderedMonitors.first().pixels.topLeft()), scale};
}

qsizetype X11Translation::monitorWithMost(const QList<X11Monitor>& monitors, const QRect& rect) {
    qsizetype best = 0;
    qint64 bestArea = 0;
    for (qsizetype index = 0; index < monitors.size(); ++index) {
        const QRect both = monitors[index].pixels.intersected(rect);
        const qint64 area = both.isEmpty() ? 0 : qint64(both.width()) * both.height();
        if (area > bestArea) {
            best = index;
            bestArea = area;
        }
    }
    return best;
}

std::optional<QRect> X11Translation::workArea(const QList<quint32>& areas, quint32 currentDesktop) {
    if (areas.size() < 4)
        return std::nullopt;
    const qsizetype at =
        (qsizetype(currentDesktop) + 1) * 4 <= areas.size() ? currentDesktop * 4 : 0;
    const QRect rect(static_cast<qint32>(areas[at]), static_cast<qint32>(areas[at + 1]),
                     static_cast<qint32>(areas[at + 2]), static_cast<qint32>(areas[at + 3]));
    return rect.isEmpty() ? std::nullopt : std::optional(rect);
}

QPointF X11Translation::bottomLeft(const QList<X11Monitor>& orderedMonitors, double scale,
                                   QPointF topLeftPoint) {
    const double primaryHeight =
        orderedMonitors.isEmpty() ? 0.0 : orderedMonitors.first().pixels.height() / scale;
    return {topLeftPoint.x(), primaryHeight - topLeftPoint.y()};
}

QList<ScreenInfo> X11Translation::screens(const QList<X11Monitor>& orderedMonitors, double scale,
                                          const std::optional<QRect>& workArea) {
    const DesktopSpace desktop = space(orderedMonitors, scale);
    const auto toBottomLeft = [&](const QRect& pixels) {
        const QRectF topLeft = desktop.toPoints(QRectF(pixels));
        const QPointF corner = bottomLeft(orderedMonitors, scale, topLeft.bottomLeft());
        return QRectF(corner, topLeft.size());
    };
    QList<ScreenInfo> screens;
    for (const X11Monitor& monitor : orderedMonitors) {
        QRect visible = monitor.pixels;
        if (workArea) {
            const QRect inside = monitor.pixels.intersected(*workArea);
            if (!inside.isEmpty())
                visible = inside;
        }
        screens.append(
            {toBottomLeft(monitor.pixels), toBottomLeft(visible), scale, 0.0, monitor.id});
    }
    return screens;
}

std::optional<quint8> X11Translation::keycode(quint32 macKeyCode) {
    for (const auto& [mac, evdev] : macToEvdev) {
        if (mac == macKeyCode)
            return static_cast<quint8>(evdev + 8);
    }
    return std::nullopt;
}

std::optional<quint16> X11Translation::modifierMask(quint32 seamModifiers) {
    quint16 mask = 0;
    for (const auto& [bit, xMask] : seamModifierBits) {
        if (seamModifiers & bit) {
            mask |= xMask;
            seamModifiers &= ~bit;
        }
    }
    if (seamModifiers != 0)
        return std::nullopt;
    return mask;
}

QList<quint16> X11Translation::grabModifierVariants(quint16 modifiers) {
    return {modifiers, static_cast<quint16>(modifiers | lockMask),
            static_cast<quint16>(modifiers | numLockMask),
            static_cast<quint16>(modifiers | lockMask | numLockMask)};
}

quint16 X11Translation::significantModifiers(quint16 state) {
    return state & (shiftMask | controlMask | mod1Mask | mod4Mask);
}

} // namespace vantrel
