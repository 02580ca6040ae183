#pragma once

#include "../ScreenCapturePlatform.h"
#include "PortalScreenshot.h"

#include <QSize>

namespace vantrel {

// Pictures through the Screenshot portal, for GNOME without Vantrel's extension. The portal
// pictures the whole desktop and tells where no window is, so there is one display, the whole
// desktop, and no windows: a window capture falls back to the display.
class PortalScreenCapture final : public ScreenCapturePlatform {
  public:
    static constexpr quint32 desktopDisplayID = 1;

    explicit PortalScreenCapture(PortalScreenshot& portal) : m_portal(portal) {}

    QCoro::Task<ShareableContent> shareableContent(bool excludeDesktopWindows,
                                                   bool onScreenWindowsOnly) override;
    QCoro::Task<QImage> captureImage(ContentFilter filter,
                                     StreamConfiguration configuration) override;
    // The portal asks the user itself, once.
    bool preflightScreenCaptureAccess() const override { return true; }
    bool requestScreenCaptureAccess() override { return true; }

    // The desktop's size in points, from the last picture (taking one when none was taken yet);
    // empty when the portal gives none.
    QSize desktopSize();

  private:
    QImage takePicture();

    PortalScreenshot& m_portal;
    QSize m_lastSize;
};

} // namespace vantrel
