#pragma once

#include "platform/MouseMonitor.h"

#include <QObject>
#include <QPointF>

#include <optional>

namespace vantrel {

class ScreenList;

// Where the pointer last was outside our own menu: menu commands capture there, as the live
// pointer is over the menu by the time they run. Follows every global mouse event once started.
class PointerTracker final : public QObject {
    Q_OBJECT

  public:
    PointerTracker(const ScreenList& screens, MouseMonitor& mouseMonitor,
                   QObject* parent = nullptr);
    ~PointerTracker() override;

    QPointF lastLocation() const { return m_lastLocation; }
    void start();
    void stop();

  Q_SIGNALS:
    void lastLocationChanged();

  private:
    void remember();

    const ScreenList& m_screens;
    MouseMonitor& m_mouseMonitor;
    std::optional<MouseMonitor::Token> m_monitor;
    QPointF m_lastLocation;
};

} // namespace vantrel
