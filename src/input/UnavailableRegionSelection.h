#pragma once

#include "RegionSelecting.h"

#include <QString>

namespace vantrel {

struct PlatformVocabulary;

// Stands in where no area selection exists: it selects nothing and says why.
class UnavailableRegionSelection final : public RegionSelecting {
  public:
    explicit UnavailableRegionSelection(const PlatformVocabulary& vocabulary);

    QCoro::Task<std::optional<QRectF>> selectRegion() override;
    const QString& reason() const { return m_reason; }

  private:
    QString m_reason;
};

} // namespace vantrel
