#pragma once

#include "../HotKeyService.h"
#include "../MouseMonitor.h"
#include "Scene.h"

#include <QList>

namespace vantrel {

// Global hotkeys and the global mouse monitor of a scene; tests press keys and move the mouse.
class SimInput final : public HotKeyService, public MouseMonitor {
  public:
    struct HotKey {
        quint32 id = 0;
        quint32 keyCode = 0;
        quint32 modifiers = 0;
    };

    explicit SimInput(Scene& scene);

    bool installHandler(Handler handler) override;
    void removeHandler() override;
    // Refuses a combination that is already registered, as the system does.
    bool registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) override;
    void unregisterHotKey(quint32 id) override;

    std::optional<Token> addGlobalMonitor(quint64 mask, std::function<void()> handler) override;
    void removeMonitor(Token token) override;

    // Delivers a press of a registered hotkey to the handler; false when nothing receives it.
    bool pressHotKey(quint32 id);
    // Moves the cursor (bottom-left space) and tells the monitors that watch mouse moves.
    void moveMouse(QPointF location);
    // Tells the monitors whose mask includes the event.
    void postMouseEvent(EventMask event);

    const QList<HotKey>& hotKeys() const { return m_hotKeys; }
    bool hasHandler() const { return static_cast<bool>(m_handler); }
    int monitorCount() const { return static_cast<int>(m_monitors.size()); }

    void setRefusesHandler(bool refuses) { m_refusesHandler = refuses; }
    void setRefusesHotKeys(bool refuses) { m_refusesHotKeys = refuses; }
    void setRefusesMonitors(bool refuses) { m_refusesMonitors = refuses; }

  private:
    struct Monitor {
        Token token;
        quint64 mask;
        std::function<void()> handler;
    };

    Scene& m_scene;
    Handler m_handler;
    QList<HotKey> m_hotKeys;
    QList<Monitor> m_monitors;
    Token m_nextToken = 1;
    bool m_refusesHandler = false;
    bool m_refusesHotKeys = false;
    bool m_refusesMonitors = false;
};

} // namespace vantrel
