#pragma once

#include "input/RegionSelecting.h"

namespace vantrel {

// An area chosen in advance, as the command line's --region gives it, instead of dragged.
class GivenRegionSelection final : public RegionSelecting {
  public:
    explicit GivenRegionSelection(std::optional<QRectF> region) : m_region(region) {}

    QCoro::Task<std::optional<QRectF>> selectRegion() override {
        // A copy: GCC 12 moves from a member named in co_return.
        const std::optional<QRectF> region = m_region;
        co_return region;
    }
    // Answered at once: nothing is ever in progress.
    void cancel() override {}

  private:
    std::optional<QRectF> m_region;
};

} // namespace vantrel
