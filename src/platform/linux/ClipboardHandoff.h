#pragma once

#include <QString>

#include <optional>

namespace vantrel {

struct ClipboardPayload;

// Leaves a payload on the X11 clipboard beyond the life of this process: writes it to a private
// file and starts the executable's clipboard server on it, detached.
struct ClipboardHandoff {
    // Returns once the server owns the selection; otherwise the reason, with nothing left behind.
    static std::optional<QString> handOff(const ClipboardPayload& payload,
                                          const QString& executable);
};

} // namespace vantrel
