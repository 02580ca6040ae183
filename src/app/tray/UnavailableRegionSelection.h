#pragma once

#include "input/RegionSelecting.h"

#include <QString>

namespace vantrel {

// The area capture where this desktop has no selection overlay yet: the runner reports the
// reason instead of asking for an area.
class UnavailableRegionSelection final : public RegionSelecting {
  public:
    explicit UnavailableRegionSelection(QString reason) : m_reason(std::move(reason)) {}

    QCoro::Task<std::optional<QRectF>> selectRegion() override { co_return std::nullopt; }
    void cancel() override {}
    std::optional<QString> unavailableReason() const override { return m_reason; }

  private:
    QString m_reason;
};

} // namespace vantrel
