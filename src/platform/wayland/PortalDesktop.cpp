#include "PortalDesktop.h"

#include "../linux/LinuxVocabulary.h"

#include <QDBusConnection>

namespace vantrel {

// The window's origin is unknown: its elements' frames stay relative to it.
PortalDesktop::PortalDesktop(const QString& executable)
    : m_portal(QDBusConnection::sessionBus()), m_screenCapture(m_portal),
      m_screens(m_screenCapture), m_accessibility(m_windowServer, [] { return DesktopSpace{}; }),
      m_loginItem(executable), m_clipboard(executable, ClipboardServer::Session::wayland) {}

Platform PortalDesktop::platform() {
    return {m_accessibility,
            m_windowServer,
            m_screens,
            m_screenCapture,
            m_hotKeys,
            m_mouseMonitor,
            m_workspace,
            m_loginItem,
            m_updater,
            m_pasteboard,
            LinuxVocabulary::words(),
            LinuxVocabulary::identity()};
}

} // namespace vantrel
