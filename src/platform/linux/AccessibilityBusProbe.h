#pragma once

#include "../DesktopDiagnostics.h"

namespace vantrel {

// Asks the session bus whether the accessibility bus runs and is switched on, each call bounded.
struct AccessibilityBusProbe {
    static AccessibilityBusState probe();
};

} // namespace vantrel
