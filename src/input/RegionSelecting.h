#pragma once

#include <QCoro/QCoroTask>
#include <QRectF>
#include <QString>

#include <optional>

namespace vantrel {

// Lets the user drag an area; none when they cancel. The area is in bottom-left space.
class RegionSelecting {
  public:
    virtual ~RegionSelecting() = default;

    virtual QCoro::Task<std::optional<QRectF>> selectRegion() = 0;
    // Ends a selection in progress as if the user had cancelled it.
    virtual void cancel() = 0;
};

} // namespace vantrel
