#pragma once

#include "CaptureBundle.h"
#include "accessibility/CapturedAccessibility.h"

#include <QImage>

#include <optional>

namespace vantrel {

// Writes one capture folder. A file error is thrown as the platform's PlatformError, unchanged.
class BundleWriting {
  public:
    virtual ~BundleWriting() = default;

    virtual CaptureBundle write(const CapturedAccessibility& accessibility,
                                const std::optional<QUrl>& screenshotSourceURL,
                                const std::optional<QImage>& screenshotImage) = 0;
};

} // namespace vantrel
