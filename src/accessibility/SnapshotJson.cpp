#include "SnapshotJson.h"

#include <QJsonArray>

#include <cmath>

namespace vantrel {

namespace {

std::optional<QJsonValue> array(const QVariantList& list) {
    QJsonArray result;
    for (const QVariant& entry : list) {
        const auto converted = SnapshotJson::value(entry);
        if (!converted)
            return std::nullopt;
        result.append(*converted);
    }
    return result;
}

std::optional<QJsonValue> number(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    return QJsonValue(value);
}

} // namespace

std::optional<QJsonObject> SnapshotJson::object(const QVariantMap& map) {
    QJsonObject result;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const auto converted = value(it.value());
        if (!converted)
            return std::nullopt;
        result.insert(it.key(), *converted);
    }
    return result;
}

std::optional<QJsonValue> SnapshotJson::value(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
        if (auto converted = object(value.toMap()))
            return QJsonValue(*converted);
        return std::nullopt;
    case QMetaType::QVariantList:
        return array(value.toList());
    case QMetaType::QString:
        return QJsonValue(value.toString());
    case QMetaType::Bool:
        return QJsonValue(value.toBool());
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QJsonValue(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return number(value.toDouble());
    default:
        return std::nullopt;
    }
}

} // namespace vantrel
