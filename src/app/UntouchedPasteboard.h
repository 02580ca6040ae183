#pragma once

#include "output/PasteboardWriting.h"

namespace vantrel {

// Writes nothing: an agent's capture leaves the user's clipboard as it was.
class UntouchedPasteboard final : public PasteboardWriting {
  public:
    void writeBundle(const CaptureBundle&, const CapturedAccessibility&,
                     const std::optional<QImage>&, ScreenshotSubject,
                     BundlePasteboardFormat) override {}
    void writeScreenshot(const QImage&, const std::optional<QUrl>&, ScreenshotSubject) override {}
    void writeTree(const CapturedAccessibility&) override {}
};

} // namespace vantrel
