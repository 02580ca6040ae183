#pragma once

#include "../ScreenList.h"
#include "Scene.h"

namespace vantrel {

// The screens and the cursor of a scene.
class SimScreens final : public ScreenList {
  public:
    explicit SimScreens(const Scene& scene);

    QList<ScreenInfo> screens() const override;
    // The first screen: the simulated key window is always on the menu-bar screen.
    std::optional<ScreenInfo> mainScreen() const override;
    QPointF mouseLocation() const override;

  private:
    const Scene& m_scene;
};

} // namespace vantrel
