#pragma once

#include "../CompositorHelper.h"
#include "../ScreenList.h"
#include "../linux/DesktopSpace.h"
#include "../linux/X11Translation.h"

namespace vantrel {

// The compositor's monitors as the core's screens. Its logical pixels are the core's points, so
// the desktop's scale is 1 and a monitor's own scale is its pictures' pixels per point.
class HelperScreens final : public ScreenList {
  public:
    explicit HelperScreens(CompositorHelper& helper) : m_helper(helper) {}

    QList<ScreenInfo> screens() const override;
    std::optional<ScreenInfo> mainScreen() const override;
    QPointF mouseLocation() const override;

    // Where the core's origin (the primary monitor's corner) lies in the compositor's space.
    DesktopSpace space() const;
    // The monitors as X11Translation orders and numbers them (1, 2, ... by the helper's order).
    QList<X11Monitor> monitors() const;

  private:
    CompositorHelper& m_helper;
};

} // namespace vantrel
