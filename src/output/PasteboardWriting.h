#pragma once

#include "BundlePasteboardFormat.h"
#include "CaptureBundle.h"
#include "accessibility/CapturedAccessibility.h"
#include "screen/CapturedScreen.h"

#include <QImage>

#include <optional>

namespace vantrel {

// Replaces the pasteboard's contents with one capture's payload. Never fails.
class PasteboardWriting {
  public:
    virtual ~PasteboardWriting() = default;

    virtual void writeBundle(const CaptureBundle& bundle,
                             const CapturedAccessibility& accessibility,
                             const std::optional<QImage>& screenshot, ScreenshotSubject subject,
                             BundlePasteboardFormat pasteboardFormat) = 0;
    virtual void writeScreenshot(const QImage& image, const std::optional<QUrl>& fileURL,
                                 ScreenshotSubject subject) = 0;
    virtual void writeTree(const CapturedAccessibility& accessibility) = 0;
};

} // namespace vantrel
