#include "LazyClipboardHandoff.h"

#include "ClipboardPayload.h"

namespace vantrel {

void LazyClipboardHandoff::prepare() {
    if (!m_handoff)
        m_handoff = ClipboardHandoff::startFor(m_executable, m_session);
}

std::optional<QString> LazyClipboardHandoff::handOff(const Pasteboard& pasteboard) {
    const ClipboardPayload payload = ClipboardPayload::fromPasteboard(pasteboard);
    if (payload.isEmpty())
        return std::nullopt;
    prepare();
    return m_handoff->handOff(payload);
}

} // namespace vantrel
