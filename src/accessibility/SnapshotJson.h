#pragma once

#include "SnapshotNode.h"

#include <QJsonObject>
#include <QJsonValue>

#include <optional>

namespace vantrel {

// Converts snapshot data to JSON, refusing what JSON cannot hold. QJsonDocument would quietly
// write a non-finite number as null; a snapshot must fail instead.
struct SnapshotJson {
    static std::optional<QJsonObject> object(const QVariantMap& map);
    static std::optional<QJsonValue> value(const QVariant& value);
};

} // namespace vantrel
