#pragma once

#include "../ScreenList.h"
#include "X11Translation.h"

#include <optional>

namespace vantrel {

class XcbConnection;
class X11WindowServer;

// The RandR monitors as screens, primary first, in the core's bottom-left global points.
class X11Screens final : public ScreenList {
  public:
    explicit X11Screens(XcbConnection& connection);

    QList<ScreenInfo> screens() const override;
    // The screen holding the active window, else the first.
    std::optional<ScreenInfo> mainScreen() const override;
    QPointF mouseLocation() const override;

  private:
    std::optional<QRect> workArea() const;

    XcbConnection& m_connection;
};

} // namespace vantrel
