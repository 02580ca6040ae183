#pragma once

#include "output/CaptureMode.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace vantrel {

// The options of `vantrel capture`. Points and areas are in bottom-left space.
struct CaptureOptions {
    std::optional<QString> scenePath;
    std::optional<CaptureMode> mode; // overrides the stored mode for this run only
    std::optional<QRectF> region;
    std::optional<QPointF> at;
    bool frontWindow = false;
    bool json = false;
    std::optional<QString> pasteboardOut;
    // For agents: leave the clipboard alone; read --region and --at in top-left space.
    bool noClipboard = false;
    bool topLeft = false;
    // For agents: let the user choose on the overlay, showing this prompt.
    std::optional<QString> ask;
    bool pickWindow = false;
    // The running tray app captures instead, when it runs: it has the display even where the
    // caller's environment was cleared. It is handed the arguments as given.
    bool viaApp = false;
    QStringList arguments;

    // The options, or a usage error message. Arguments exclude the program and command names.
    static std::variant<CaptureOptions, QString> parse(const QStringList& arguments);
    static QString usage();
};

} // namespace vantrel
