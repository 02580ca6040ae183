#include "PointerTracker.h"

#include "platform/ScreenList.h"

#include <QPointer>

namespace vantrel {

PointerTracker::PointerTracker(const ScreenList& screens, MouseMonitor& mouseMonitor,
                               QObject* parent)
    : QObject(parent), m_screens(screens), m_mouseMonitor(mouseMonitor),
      m_lastLocation(m_screens.mouseLocation()) {}

PointerTracker::~PointerTracker() {
    stop();
}

void PointerTracker::start() {
    remember();
    if (m_monitor)
        return;
    const quint64 mask =
        MouseMonitor::MouseMoved | MouseMonitor::LeftMouseDown | MouseMonitor::RightMouseDown;
    QPointer<PointerTracker> weakSelf(this);
    m_monitor = m_mouseMonitor.addGlobalMonitor(mask, [weakSelf] {
        // Events may arrive off the main thread; the position is only touched there.
        if (!weakSelf)
            return;
        QMetaObject::invokeMethod(
            weakSelf.data(),
            [weakSelf] {
                if (weakSelf)
                    weakSelf->remember();
            },
            Qt::AutoConnection);
    });
}

void PointerTracker::stop() {
    if (m_monitor)
        m_mouseMonitor.removeMonitor(*m_monitor);
    m_monitor.reset();
}

void PointerTracker::remember() {
    const QPointF location = m_screens.mouseLocation();
    if (location == m_lastLocation)
        return;
    m_lastLocation = location;
    Q_EMIT lastLocationChanged();
}

} // namespace vantrel
