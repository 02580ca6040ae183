#include "CaptureSession.h"

namespace vantrel {

CaptureSession::CaptureSession(const Platform& platform, UserDefaults& defaults,
                               NotificationCenter& center, Clock& clock,
                               std::optional<QRectF> region, CaptureChoices choices)
    : m_platform(platform), m_permissions(m_platform, center, clock),
      m_accessibilityCapture(m_platform, m_permissions, clock),
      m_screenCapture(m_platform, m_permissions, clock),
      m_bundleWriter(clock, defaults, m_platform.vocabulary),
      m_bundleRecorder(m_bundleWriter, m_lastBundle),
      m_pasteboardWriter(m_platform.pasteboard, defaults, m_platform.vocabulary),
      m_coordinator({m_accessibilityCapture, m_screenCapture, m_bundleRecorder,
                     choices.leaveClipboard ? static_cast<PasteboardWriting&>(m_untouchedPasteboard)
                                            : static_cast<PasteboardWriting&>(m_pasteboardWriter),
                     defaults}),
      m_regionSelection(region),
      m_delegate({m_platform, m_coordinator, defaults, center, clock,
                  choices.regionSelection ? *choices.regionSelection
                                          : static_cast<RegionSelecting&>(m_regionSelection),
                  m_toast, m_permissions}) {
    // No permission monitor: each step asks for its own permission where it needs it (the
    // snapshot asks the accessibility bus, the screenshot its preflight), so a screenshot never
    // sets up the accessibility bus.
    m_delegate.startMouseTracking();
}

} // namespace vantrel
