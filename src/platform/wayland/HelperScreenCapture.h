#pragma once

#include "../CompositorHelper.h"
#include "../ScreenCapturePlatform.h"
#include "HelperScreens.h"

namespace vantrel {

// Pictures through the compositor's helper: a display is its monitor's area, a window the part of
// its frame on the monitors, overlapping windows included. The helper's pictures cannot leave
// windows out.
class HelperScreenCapture final : public ScreenCapturePlatform {
  public:
    static constexpr int invalidParameterCode = 1;
    static constexpr int noSuchDisplayCode = 2;
    static constexpr int noSuchWindowCode = 3;
    static constexpr int notOnScreenCode = 4;
    static constexpr int pictureFailedCode = 5;
    static const QString errorDomain;

    HelperScreenCapture(CompositorHelper& helper, const HelperScreens& screens)
        : m_helper(helper), m_screens(screens) {}

    QCoro::Task<ShareableContent> shareableContent(bool excludeDesktopWindows,
                                                   bool onScreenWindowsOnly) override;
    QCoro::Task<QImage> captureImage(ContentFilter filter,
                                     StreamConfiguration configuration) override;
    // The compositor decides; with the helper answering, pictures need no further permission.
    bool preflightScreenCaptureAccess() const override { return true; }
    bool requestScreenCaptureAccess() override { return true; }

  private:
    QRect sourceRect(const ContentFilter& filter);

    CompositorHelper& m_helper;
    const HelperScreens& m_screens;
};

} // namespace vantrel
