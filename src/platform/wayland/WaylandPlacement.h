#pragma once

#include "../CompositorHelper.h"
#include "../linux/AtspiPlacement.h"

namespace vantrel {

// Places AT-SPI windows where the compositor says they are, with the toolkit's offset.
class WaylandPlacement final : public AtspiPlacement {
  public:
    explicit WaylandPlacement(CompositorHelper& helper) : m_helper(helper) {}

    std::optional<Origin> windowOrigin(const Window& window) override;

  private:
    CompositorHelper& m_helper;
};

} // namespace vantrel
