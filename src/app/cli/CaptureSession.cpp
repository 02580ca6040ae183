#include "CaptureSession.h"

namespace vantrel {

CaptureSession::CaptureSession(const Platform& platform, UserDefaults& defaults,
                               NotificationCenter& center, Clock& clock,
                               std::optional<QRectF> region, CaptureChoices choices)
    : m_services(platform, defaults, center, clock, choices.leaveClipboard),
      m_regionSelection(region),
      m_pointer(m_services.platform().screens, m_services.platform().mouseMonitor),
      m_runner({m_services.coordinator(), defaults, clock,
                choices.regionSelection ? *choices.regionSelection
                                        : static_cast<RegionSelecting&>(m_regionSelection),
                m_toast, m_statusLine, m_pointer, m_services.permissionFollowUp(),
                m_services.platform().vocabulary}) {
    // No permission monitor: each step asks for its own permission where it needs it (the
    // snapshot asks the accessibility bus, the screenshot its preflight), so a screenshot never
    // sets up the accessibility bus.
    m_pointer.start();
}

} // namespace vantrel
