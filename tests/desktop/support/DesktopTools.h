#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <xcb/xcb.h>

#include <memory>

namespace vantrel::testing {

// What a command-line tool (xdotool, xclip) prints once it has finished, trimmed.
QString toolOutput(const QString& program, const QStringList& arguments);
QString xdotool(const QStringList& arguments);
// xdotool's words for a pointer move to this root point.
QStringList mouseMove(QPoint rootPoint);

// Where the first visible window whose name matches the pattern (xdotool's) is, root pixels;
// empty when there is none.
QRect windowGeometry(const QString& namePattern);

// The CLIPBOARD selection in one target, as another program (xclip) reads it.
QByteArray clipboard(const QString& target);

// Switches the desktop's assistive technologies (the AT-SPI bus's IsEnabled) on or off.
void setAccessibilityEnabled(bool enabled);

// A point or rectangle of the fixture's screen as --at and --region take it: y from the bottom.
QString bottomLeft(QPoint point);
QString bottomLeft(QRect rect);

// One pixel of the screen as it shows now, read through this process's own X connection.
QColor screenPixel(QPoint rootPoint);

// How many pixels of the image have exactly this colour.
int pixelsOfColour(const QImage& image, const QColor& colour);

// The X server's unshifted keysym of every keycode, indexed by keycode.
QList<quint32> serverKeysyms();

// Another program holding Ctrl+Alt+<key> on the root window, as a second hotkey tool would, for
// as long as the connection it returns lasts; null when it could not take the key.
std::shared_ptr<xcb_connection_t> grabKey(xcb_keysym_t keysym);

} // namespace vantrel::testing
