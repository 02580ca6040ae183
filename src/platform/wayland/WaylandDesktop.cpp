#include "WaylandDesktop.h"

#include "../linux/ClipboardPayload.h"
#include "../linux/LinuxVocabulary.h"

namespace vantrel {

std::unique_ptr<WaylandDesktop> WaylandDesktop::open(const QString& executable,
                                                     const QString& appVersion, QString& reason,
                                                     Clipboard clipboard) {
    auto helper = GnomeShellHelper::connect(appVersion, reason);
    if (!helper)
        return nullptr;
    return std::unique_ptr<WaylandDesktop>(
        new WaylandDesktop(std::move(helper), executable, clipboard));
}

WaylandDesktop::WaylandDesktop(std::unique_ptr<GnomeShellHelper> helper, const QString& executable,
                               Clipboard clipboard)
    : m_helper(std::move(helper)), m_screens(*m_helper), m_capturePoint(m_screens),
      m_windowServer(*m_helper, [this] { return m_screens.space(); }),
      m_screenCapture(*m_helper, m_screens), m_placement(*m_helper),
      m_accessibility(
          m_windowServer, [this] { return m_screens.space(); }, &m_placement),
      m_hotKeys(*m_helper), m_loginItem(executable),
      m_pasteboard(clipboard == Clipboard::everyPayload ? executable : QString()),
      m_clipboard(executable, ClipboardServer::Session::wayland) {}

Platform WaylandDesktop::platform() {
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

} // namespace vantrel
