#include "SimInput.h"

#include <algorithm>

namespace vantrel {

SimInput::SimInput(Scene& scene) : m_scene(scene) {}

bool SimInput::installHandler(Handler handler) {
    if (m_refusesHandler)
        return false;
    m_handler = std::move(handler);
    return true;
}

void SimInput::removeHandler() {
    m_handler = nullptr;
}

bool SimInput::registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) {
    const bool taken = std::any_of(m_hotKeys.cbegin(), m_hotKeys.cend(), [&](const HotKey& key) {
        return key.keyCode == keyCode && key.modifiers == modifiers;
    });
    if (m_refusesHotKeys || taken)
        return false;
    m_hotKeys.append({id, keyCode, modifiers});
    return true;
}

void SimInput::unregisterHotKey(quint32 id) {
    m_hotKeys.removeIf([id](const HotKey& key) { return key.id == id; });
}

std::optional<MouseMonitor::Token> SimInput::addGlobalMonitor(quint64 mask,
                                                              std::function<void()> handler) {
    if (m_refusesMonitors)
        return std::nullopt;
    const Token token = m_nextToken++;
    m_monitors.append({token, mask, std::move(handler)});
    return token;
}

void SimInput::removeMonitor(Token token) {
    m_monitors.removeIf([token](const Monitor& monitor) { return monitor.token == token; });
}

bool SimInput::pressHotKey(quint32 id) {
    const bool registered = std::any_of(m_hotKeys.cbegin(), m_hotKeys.cend(),
                                        [id](const HotKey& key) { return key.id == id; });
    if (!registered || !m_handler)
        return false;
    // The handler may remove itself while it runs.
    const Handler handler = m_handler;
    handler(id);
    return true;
}

void SimInput::moveMouse(QPointF location) {
    m_scene.mouse = location;
    postMouseEvent(MouseMoved);
}

void SimInput::postMouseEvent(EventMask event) {
    // A handler may add or remove monitors; the ones present now are told.
    const QList<Monitor> monitors = m_monitors;
    for (const Monitor& monitor : monitors) {
        if (monitor.mask & event)
            monitor.handler();
    }
}

} // namespace vantrel
