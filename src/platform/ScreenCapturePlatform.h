#pragma once

#include <QCoro/QCoroTask>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

#include <optional>
#include <variant>

namespace vantrel {

struct ShareableDisplay {
    quint32 displayID = 0;
    QRectF frame;      // top-left global space
    double width = 0;  // points
    double height = 0; // points
};

struct OwningApplication {
    std::optional<QString> bundleIdentifier;
};

struct ShareableWindow {
    quint32 windowID = 0;
    QRectF frame; // top-left global space
    std::optional<QString> title;
    bool isOnScreen = true;
    qint64 windowLayer = 0;
    std::optional<OwningApplication> owningApplication;
};

struct ShareableContent {
    QList<ShareableDisplay> displays;
    QList<ShareableWindow> windows;
};

// What one picture shows: a display less some windows, or one window alone.
struct DisplayFilter {
    quint32 displayID = 0;
    QList<quint32> excludedWindowIDs;
};
struct WindowFilter {
    quint32 windowID = 0;
};
using ContentFilter = std::variant<DisplayFilter, WindowFilter>;

// The output image has exactly width × height pixels.
struct StreamConfiguration {
    int width = 0;
    int height = 0;
    bool scalesToFit = true;
    bool showsCursor = false;
};

// Screen pictures and the Screen Recording permission. The asynchronous calls throw PlatformError.
class ScreenCapturePlatform {
  public:
    virtual ~ScreenCapturePlatform() = default;

    virtual QCoro::Task<ShareableContent> shareableContent(bool excludeDesktopWindows,
                                                           bool onScreenWindowsOnly) = 0;
    virtual QCoro::Task<QImage> captureImage(ContentFilter filter,
                                             StreamConfiguration configuration) = 0;

    // Never prompts.
    virtual bool preflightScreenCaptureAccess() const = 0;
    // Asks the system for the permission; answers whether it is granted.
    virtual bool requestScreenCaptureAccess() = 0;
};

} // namespace vantrel
