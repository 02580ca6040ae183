#pragma once

#include "accessibility/AccessibilityCaptureError.h"
#include "platform/PlatformError.h"
#include "screen/ScreenCaptureError.h"

#include <variant>

namespace vantrel {

// The error of whichever service stopped a capture, kept as that service's own type.
using CaptureError = std::variant<AccessibilityCaptureError, ScreenCaptureError, PlatformError>;

inline QString localizedDescription(const CaptureError& error) {
    return std::visit([](const auto& e) { return QString(e.localizedDescription()); }, error);
}

} // namespace vantrel
