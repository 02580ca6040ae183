#pragma once

#include "CaptureOutcome.h"
#include "accessibility/CapturedAccessibility.h"
#include "output/CaptureMode.h"
#include "screen/CapturedScreen.h"
#include "screen/ScreenCapturing.h"

#include <QCoro/QCoroTask>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QUrl>

#include <optional>
#include <variant>

namespace vantrel {

class AccessibilityCapturing;
class BundleWriting;
class PasteboardWriting;
class UserDefaults;

// Runs one capture from start to finish and reports its status line or its error. Keeps nothing
// between captures; the pasteboard is written only once every step that can fail has succeeded.
class ClipCoordinator final {
  public:
    struct Services {
        AccessibilityCapturing& accessibilityCapture;
        ScreenCapturing& screenCapture;
        BundleWriting& bundleWriter;
        PasteboardWriting& pasteboardWriter;
        const UserDefaults& defaults;
    };

    explicit ClipCoordinator(Services services);

    // Points and areas are in bottom-left space.
    QCoro::Task<CaptureOutcome> capture(CaptureMode mode, std::optional<QPointF> mouseLocation,
                                        std::optional<QRectF> regionScreenRect,
                                        bool preferFrontWindows);
    QCoro::Task<CaptureOutcome> captureBundle(std::optional<QPointF> mouseLocation,
                                              std::optional<QRectF> regionScreenRect,
                                              bool preferFrontWindows);
    QCoro::Task<CaptureOutcome> captureScreenshotOnly(std::optional<QRectF> regionScreenRect);
    CaptureOutcome captureTreeOnly(std::optional<QPointF> mouseLocation,
                                   std::optional<QRectF> regionScreenRect, bool preferFrontWindows);

    // The picture as taken (never decoded from the file), the file it was written to, and its
    // PNG when one was asked for.
    struct ScreenshotPair {
        std::optional<QImage> image;
        std::optional<QUrl> fileURL;
        ScreenshotSubject subject = ScreenshotSubject::frontmostWindow;
        std::optional<QFuture<QByteArray>> png;
    };
    // Throws the screen capture service's error unchanged.
    QCoro::Task<ScreenshotPair> captureScreenshotPair(std::optional<QRectF> regionScreenRect,
                                                      PngWanted png);

  private:
    // The screenshot step with its error caught, so both modes can return it as their failure.
    QCoro::Task<std::variant<ScreenshotPair, CaptureError>>
    screenshotOrError(std::optional<QRectF> regionScreenRect, PngWanted png);
    // The snapshot with its error caught, for the same reason.
    std::variant<CapturedAccessibility, CaptureError>
    accessibilityOrError(std::optional<QPointF> mouseLocation,
                         std::optional<QRectF> regionScreenRect, bool preferFrontWindows);
    QString bundleStatusLine(const CapturedAccessibility& accessibility, bool hasRegion) const;

    Services m_services;
};

} // namespace vantrel
