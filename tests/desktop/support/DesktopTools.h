#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vantrel::testing {

// What a command-line tool (xdotool, xwininfo) prints once it has finished.
QByteArray toolOutput(const QString& program, const QStringList& arguments);

// The CLIPBOARD selection in one target, as another program (xclip) reads it.
QByteArray clipboard(const QString& target);

} // namespace vantrel::testing
