#pragma once

#include "input/RegionSelecting.h"

namespace vantrel {

// An area chosen in advance, as the command line's --region gives it, instead of dragged.
class GivenRegionSelection final : public RegionSelecting {
  public:
    explicit GivenRegionSelection(std::optional<QRectF> region) : m_region(region) {}

    QCoro::Task<std::optional<QRectF>> selectRegion() override { co_return m_region; }

  private:
    std::optional<QRectF> m_region;
};

} // namespace vantrel
