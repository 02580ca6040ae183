#pragma once

#include "CaptureBundle.h"
#include "accessibility/CapturedAccessibility.h"

#include <QCoro/QCoroTask>
#include <QImage>

#include <optional>

namespace vantrel {

// Writes one capture folder, with the screenshot's pixels as its PNG when there are any. A file
// error is thrown as a PlatformError naming the path and the reason; the folder then never
// appears.
class BundleWriting {
  public:
    virtual ~BundleWriting() = default;

    // The arguments must outlive the task (GCC 12 destroys by-value coroutine arguments made
    // inside a co_await expression twice).
    virtual QCoro::Task<CaptureBundle> write(const CapturedAccessibility& accessibility,
                                             const std::optional<QImage>& screenshotImage) = 0;
};

} // namespace vantrel
