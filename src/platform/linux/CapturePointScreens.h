#pragma once

#include "../ScreenList.h"

#include <optional>

namespace vantrel {

// The screens as they are, with the cursor reported at a chosen point when one is set: a command
// captures "at" a point without moving the user's real pointer.
class CapturePointScreens final : public ScreenList {
  public:
    explicit CapturePointScreens(const ScreenList& screens) : m_screens(screens) {}

    QList<ScreenInfo> screens() const override { return m_screens.screens(); }
    std::optional<ScreenInfo> mainScreen() const override { return m_screens.mainScreen(); }
    QPointF mouseLocation() const override {
        return m_point ? *m_point : m_screens.mouseLocation();
    }

    void setPoint(std::optional<QPointF> bottomLeftPoint) { m_point = bottomLeftPoint; }

  private:
    const ScreenList& m_screens;
    std::optional<QPointF> m_point;
};

} // namespace vantrel
