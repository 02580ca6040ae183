#include "LinuxDesktop.h"

#include "ClipboardPayload.h"
#include "LinuxVocabulary.h"
#include "X11Compositor.h"

namespace vantrel {

std::unique_ptr<LinuxDesktop> LinuxDesktop::open(const Options& options, QString& reason) {
    auto connection = XcbConnection::open({}, &reason);
    if (!connection)
        return nullptr;
    return std::unique_ptr<LinuxDesktop>(new LinuxDesktop(std::move(connection), options));
}

LinuxDesktop::LinuxDesktop(std::unique_ptr<XcbConnection> connection, const Options& options)
    : m_options(options), m_connection(std::move(connection)), m_windowServer(*m_connection),
      m_screens(*m_connection), m_capturePoint(m_screens),
      m_screenCapture(*m_connection, m_windowServer, m_screens), m_mouseMonitor(*m_connection),
      m_hotKeys(*m_connection),
      m_accessibility(m_windowServer,
                      [connection = m_connection.get()] { return connection->space(); }),
      m_loginItem(options.executable), m_pasteboard(options.clipboard),
      m_clipboard(options.executable, ClipboardServer::Session::x11) {}

Platform LinuxDesktop::platform() {
    return {m_accessibility,
            m_windowServer,
            m_capturePoint,
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

bool LinuxDesktop::hasCompositor() const {
    return X11Compositor::isRunning(*m_connection);
}

} // namespace vantrel
