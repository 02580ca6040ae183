#include "CaptureServices.h"

namespace vantrel {

CaptureServices::CaptureServices(const Platform& platform, UserDefaults& defaults,
                                 NotificationCenter& center, Clock& clock, bool leaveClipboard)
    : m_platform(platform), m_permissions(m_platform, center, clock),
      m_accessibilityCapture(m_platform, m_permissions, clock),
      m_screenCapture(m_platform, m_permissions, clock),
      m_bundleWriter(clock, defaults, m_platform.vocabulary),
      m_bundleRecorder(m_bundleWriter, m_lastBundle),
      m_pasteboardWriter(m_platform.pasteboard, defaults, m_platform.vocabulary),
      m_coordinator({m_accessibilityCapture, m_screenCapture, m_bundleRecorder,
                     leaveClipboard ? static_cast<PasteboardWriting&>(m_untouchedPasteboard)
                                    : static_cast<PasteboardWriting&>(m_pasteboardWriter),
                     defaults}),
      m_permissionFollowUp(m_permissions, m_platform.accessibility, m_platform.screenCapture) {}

} // namespace vantrel
