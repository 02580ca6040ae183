#pragma once

#include "../MouseMonitor.h"

#include <QList>

namespace vantrel {

class XcbConnection;

// Global mouse events from XInput 2 raw events on the root window (XI_RawMotion,
// XI_RawButtonPress), which reach us whichever window the pointer is over. Raw events also come
// for presses over our own windows: X11 does not say whose window the pointer was over.
class X11MouseMonitor final : public MouseMonitor {
  public:
    explicit X11MouseMonitor(XcbConnection& connection);
    ~X11MouseMonitor() override;
    X11MouseMonitor(const X11MouseMonitor&) = delete;
    X11MouseMonitor& operator=(const X11MouseMonitor&) = delete;

    // None when the server lacks XInput 2.
    std::optional<Token> addGlobalMonitor(quint64 mask, std::function<void()> handler) override;
    void removeMonitor(Token token) override;

    int monitorCount() const { return static_cast<int>(m_monitors.size()); }

  private:
    struct Monitor {
        Token token;
        quint64 mask;
        std::function<void()> handler;
    };

    bool ensureXInput();
    void select(bool events);
    void handle(const void* event);
    void post(quint64 event);

    XcbConnection& m_connection;
    QList<Monitor> m_monitors;
    Token m_nextToken = 1;
    std::optional<quint8> m_opcode; // XInput's major opcode, once known to be there
    bool m_probed = false;
    std::optional<quint64> m_listener;
    bool m_selected = false;
};

} // namespace vantrel
