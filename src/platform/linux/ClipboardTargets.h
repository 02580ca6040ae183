#pragma once

#include "../clipboard/ClipboardOffer.h"
#include "ClipboardPayload.h"

namespace vantrel {

// The X11 selection targets and the Wayland MIME types a clipboard server offers for one
// payload, each with its value. The mapping is the table in ClipboardTargets.cpp
// (docs/pasteboard.md); TARGETS, TIMESTAMP and MULTIPLE are the X11 selection owner's own.
struct ClipboardTargets {
    // Every target the payload has a value for, in a fixed order; the picture goes as pixels and
    // becomes image/png when a receiver asks for it.
    static ClipboardOffer offer(const ClipboardPayload& payload);
};

} // namespace vantrel
