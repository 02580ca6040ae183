#pragma once

#include "platform/AXElement.h"

#include <QList>
#include <QRectF>
#include <QString>

#include <optional>
#include <variant>

namespace vantrel {

class AccessibilityPlatform;
class ScreenList;
class WindowServer;
struct WindowListEntry;

// Finds the window under a dragged area: the frontmost ordinary window of another application
// that overlaps the area and matches one of that application's accessibility windows.
struct AccessibilityRegionRootResolver {
    struct Match {
        AXElement window;
        qint32 pid = 0;
        QString appName;
        double intersectionArea = 0; // 0 when the window's frame cannot be read
    };
    // A window of this application is under the area, but none of its accessibility windows fit.
    struct AXUnavailable {
        QString appName;
        qint32 pid = 0;
    };
    struct NotFound {};
    using Resolution = std::variant<Match, AXUnavailable, NotFound>;

    // The area is in bottom-left space.
    static Resolution resolve(AccessibilityPlatform& accessibility,
                              const WindowServer& windowServer, const ScreenList& screens,
                              QRectF regionScreen);
    // Bounds and area are in top-left space.
    static std::optional<AXElement> bestAXWindow(AccessibilityPlatform& accessibility,
                                                 const QList<AXElement>& windows, QRectF cgBounds,
                                                 const std::optional<QString>& cgTitle,
                                                 QRectF regionTopLeft);
    static std::optional<QRectF> cgWindowBounds(const WindowListEntry& entry);
};

} // namespace vantrel
