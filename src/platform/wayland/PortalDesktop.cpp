#include "PortalDesktop.h"

#include "../linux/LinuxVocabulary.h"

#include <QDBusConnection>

namespace vantrel {

// The window's origin is unknown: its elements' frames stay relative to it.
PortalDesktop::PortalDesktop(const QString& executable)
    : m_portal(QDBusConnection::sessionBus()), m_screenCapture(m_portal),
      m_screens(m_screenCapture), m_accessibility(m_windowServer, [] { return DesktopSpace{}; }),
      m_loginItem(executable) {}

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

std::optional<QString> PortalDesktop::handOffClipboard() const {
    if (m_pasteboard.dump().isEmpty())
        return std::nullopt;
    return QStringLiteral("Vantrel cannot serve the clipboard of a GNOME Wayland session yet; the "
                          "capture folder holds everything the payload would.");
}

} // namespace vantrel
