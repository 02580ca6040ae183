#include "SnapshotDocument.h"

#include "SnapshotJson.h"

#include <QJsonDocument>

namespace vantrel {

namespace {

QVariantList ancestorList(const QList<AncestorEntry>& ancestors) {
    QVariantList list;
    for (const AncestorEntry& entry : ancestors) {
        QVariantMap map;
        for (auto it = entry.cbegin(); it != entry.cend(); ++it)
            map.insert(it.key(), it.value());
        list.append(map);
    }
    return list;
}

QVariantMap rectMap(QRectF rect) {
    return {{QStringLiteral("x"), rect.x()},
            {QStringLiteral("y"), rect.y()},
            {QStringLiteral("width"), rect.width()},
            {QStringLiteral("height"), rect.height()}};
}

} // namespace

std::optional<QByteArray> SnapshotDocument::encoded() const {
    QVariantMap document{
        {QStringLiteral("ancestors"), ancestorList(ancestors)},
        // Whole seconds, as the file promises.
        {QStringLiteral("capturedAt"), capturedAt.toUTC().toString(Qt::ISODate)},
        {QStringLiteral("mouse"),
         QVariantMap{{QStringLiteral("x"), mouse.x()}, {QStringLiteral("y"), mouse.y()}}},
        {QStringLiteral("targetSummary"), targetSummary},
        {QStringLiteral("tree"), tree},
    };
    if (region)
        document.insert(QStringLiteral("region"), rectMap(*region));
    if (regionNote)
        document.insert(QStringLiteral("regionNote"), *regionNote);
    const auto object = SnapshotJson::object(document);
    if (!object)
        return std::nullopt;
    return QJsonDocument(*object).toJson(QJsonDocument::Indented);
}

} // namespace vantrel
