#pragma once

#include "../ScreenList.h"
#include "PortalScreenCapture.h"

namespace vantrel {

// Without the compositor's help a Wayland client knows neither the monitors' layout nor the
// pointer: the screen is the whole desktop the portal pictures, at one pixel per point, and the
// pointer is nowhere.
class PortalScreens final : public ScreenList {
  public:
    explicit PortalScreens(PortalScreenCapture& capture) : m_capture(capture) {}

    QList<ScreenInfo> screens() const override;
    std::optional<ScreenInfo> mainScreen() const override;
    QPointF mouseLocation() const override { return {}; }

  private:
    PortalScreenCapture& m_capture;
};

} // namespace vantrel
