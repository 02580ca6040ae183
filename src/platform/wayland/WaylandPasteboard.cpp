#include "WaylandPasteboard.h"

#include "../linux/ClipboardHandoff.h"
#include "../linux/ClipboardPayload.h"

#include <QDebug>

namespace vantrel {

WaylandPasteboard::WaylandPasteboard(QString executable) : m_executable(std::move(executable)) {
    m_pendingHandOff.setSingleShot(true);
    m_pendingHandOff.setInterval(0);
    QObject::connect(&m_pendingHandOff, &QTimer::timeout, [this] { handOff(); });
}

void WaylandPasteboard::contentsDidChange() {
    if (!m_executable.isEmpty())
        m_pendingHandOff.start();
}

void WaylandPasteboard::handOff() {
    const ClipboardPayload payload = ClipboardPayload::fromPasteboard(*this);
    if (payload.isEmpty())
        return;
    // Each payload gets a server of its own; the one it replaces leaves when this one copies.
    const auto handoff =
        ClipboardHandoff::startFor(m_executable, ClipboardServer::Session::wayland);
    if (const std::optional<QString> reason = handoff->handOff(payload))
        qWarning().noquote() << "vantrel: the clipboard was not set:" << *reason;
}

} // namespace vantrel
