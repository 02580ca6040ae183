#pragma once

#include "platform/ScreenList.h"

#include <memory>

namespace vantrel {

class RegionSelectionView;

// The windows of an area selection: one covering each screen, showing its view and feeding it the
// mouse.
class RegionSelectionSurfaces {
  public:
    virtual ~RegionSelectionSurfaces() = default;

    virtual void presentPanel(std::shared_ptr<RegionSelectionView> view,
                              const ScreenInfo& screen) = 0;
    virtual void removePanels() = 0;
};

} // namespace vantrel
