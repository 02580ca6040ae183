#pragma once

#include "CaptureError.h"
#include "output/CaptureMode.h"

namespace vantrel {

class AccessibilityPlatform;
class ScreenCapturePlatform;
class SystemPermissionsService;

// After a failed capture: opens the privacy pane of the permission that is missing, if one is.
// A denial names its pane; otherwise the mode says which permissions the capture needed.
class PermissionFollowUp final {
  public:
    PermissionFollowUp(SystemPermissionsService& permissions,
                       const AccessibilityPlatform& accessibility,
                       const ScreenCapturePlatform& screenCapture);

    void afterFailure(const CaptureError& error, CaptureMode mode);

  private:
    SystemPermissionsService& m_permissions;
    const AccessibilityPlatform& m_accessibility;
    const ScreenCapturePlatform& m_screenCapture;
};

} // namespace vantrel
