#include "UnavailableRegionSelection.h"

#include "platform/PlatformVocabulary.h"

namespace vantrel {

UnavailableRegionSelection::UnavailableRegionSelection(const PlatformVocabulary& vocabulary)
    : m_reason(QStringLiteral("Area capture is not available in this version yet. ") +
               vocabulary.copyHotKey + QStringLiteral(" captures the window under the mouse.")) {}

QCoro::Task<std::optional<QRectF>> UnavailableRegionSelection::selectRegion() {
    co_return std::nullopt;
}

} // namespace vantrel
