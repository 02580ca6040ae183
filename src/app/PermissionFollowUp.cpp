#include "PermissionFollowUp.h"

#include "platform/AccessibilityPlatform.h"
#include "platform/ScreenCapturePlatform.h"
#include "screen/SystemPermissionsService.h"

namespace vantrel {

PermissionFollowUp::PermissionFollowUp(SystemPermissionsService& permissions,
                                       const AccessibilityPlatform& accessibility,
                                       const ScreenCapturePlatform& screenCapture)
    : m_permissions(permissions), m_accessibility(accessibility), m_screenCapture(screenCapture) {}

void PermissionFollowUp::afterFailure(const CaptureError& error, CaptureMode mode) {
    if (const auto* ax = std::get_if<AccessibilityCaptureError>(&error);
        ax && ax->code == AccessibilityCaptureError::Code::permissionDenied) {
        m_permissions.openAccessibilitySettings();
        return;
    }
    if (const auto* screen = std::get_if<ScreenCaptureError>(&error);
        screen && screen->code == ScreenCaptureError::Code::permissionDenied) {
        m_permissions.openScreenRecordingSettings();
        return;
    }
    if (mode != CaptureMode::screenshot) {
        if (!m_accessibility.isProcessTrusted()) {
            m_permissions.openAccessibilitySettings();
            return;
        }
        if (mode == CaptureMode::tree)
            return;
    }
    if (m_permissions.state().screenRecording || m_screenCapture.preflightScreenCaptureAccess())
        return;
    m_permissions.openScreenRecordingSettings();
}

} // namespace vantrel
