#pragma once

#include "CaptureBundle.h"
#include "accessibility/CapturedAccessibility.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QFuture>

#include <optional>

namespace vantrel {

// Writes one capture folder, with the screenshot's PNG when there is one: its encoding started
// when the pixels existed, and the writer waits for it only when the other files are written. A
// file error is thrown as a PlatformError naming the path and the reason; the folder then never
// appears.
class BundleWriting {
  public:
    virtual ~BundleWriting() = default;

    // The arguments must outlive the task (GCC 12 destroys by-value coroutine arguments made
    // inside a co_await expression twice).
    virtual QCoro::Task<CaptureBundle>
    write(const CapturedAccessibility& accessibility,
          const std::optional<QFuture<QByteArray>>& screenshotPng) = 0;
};

} // namespace vantrel
