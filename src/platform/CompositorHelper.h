#pragma once

#include "PlatformError.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>
#include <variant>

namespace vantrel {

// One window as the compositor places it. Rectangles are in the compositor's logical pixels,
// with the top-left corner of its layout at the origin.
struct CompositorWindow {
    quint64 id = 0;
    QString title;
    qint64 pid = 0;
    QString applicationClass; // the app id (Wayland) or WM_CLASS (X11)
    QRect frame;              // what the user sees as the window
    QRect buffer;             // the client's whole surface, client-side shadows included
    bool x11Client = false;   // through Xwayland
    bool focused = false;
    bool maximized = false;
};

struct CompositorMonitor {
    QRect area; // logical pixels
    double scale = 1.0;
};

// What only the compositor of a Wayland session knows or may do: where the pointer and the
// windows are, a picture of any area, and global shortcuts. One implementation per compositor
// family (GNOME Shell's is our extension); calls answer synchronously, in a few milliseconds.
// The status menu and the toast are for desktops that show neither a tray nor our own windows
// where we put them.
class CompositorHelper {
  public:
    using ShortcutHandler = std::function<void(const QString& shortcut)>;
    using MenuHandler = std::function<void(const QString& itemId)>;

    virtual ~CompositorHelper() = default;

    // None when the compositor does not answer.
    virtual std::optional<QPoint> pointer() = 0;
    // Windows on screen, front to back; none when the compositor does not answer.
    virtual std::optional<QList<CompositorWindow>> windows() = 0;
    // The monitors, the primary first; empty when the compositor does not answer.
    virtual QList<CompositorMonitor> monitors() = 0;
    // Exactly the area's pixels at the compositor's scale, or why not.
    virtual std::variant<QImage, PlatformError> picture(const QRect& area) = 0;
    // Calls the handler with the shortcut's name ("capture-window", "capture-area") on each
    // press; answers each shortcut that clashes with what it clashes with, or why watching failed.
    virtual std::variant<QMap<QString, QString>, PlatformError>
    watchShortcuts(ShortcutHandler handler) = 0;
    // Shows the app's status menu (serialised by the app) in the compositor's own panel, where
    // a desktop has no tray, and calls the handler with the id of each item chosen; the menu
    // goes when this process does. False when the compositor did not take it.
    virtual bool showStatusMenu(const QString& serialisedMenu, MenuHandler handler) = 0;
    // The short confirmation of a capture, at the bottom of the screen under the pointer.
    virtual bool showToast(const QString& text) = 0;
};

} // namespace vantrel
