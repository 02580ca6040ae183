#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

namespace vantrel::testing {

// What a command-line tool (xdotool, xwininfo) prints once it has finished.
QByteArray toolOutput(const QString& program, const QStringList& arguments);

// The CLIPBOARD selection in one target, as another program (xclip) reads it.
QByteArray clipboard(const QString& target);

// Switches the desktop's assistive technologies (the AT-SPI bus's IsEnabled) on or off.
void setAccessibilityEnabled(bool enabled);

// A point or rectangle of the fixture's screen as --at and --region take it: y from the bottom.
QString bottomLeft(QPoint point);
QString bottomLeft(QRect rect);

} // namespace vantrel::testing
