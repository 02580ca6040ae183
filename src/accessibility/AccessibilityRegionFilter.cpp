#include "AccessibilityRegionFilter.h"

namespace vantrel {

namespace {

const QString childrenKey = QStringLiteral("children");

// Anything but a list of nodes counts as no children at all.
QVariantList childList(const SnapshotNode& node) {
    const QVariant value = node.value(childrenKey);
    if (value.typeId() != QMetaType::QVariantList)
        return {};
    const QVariantList list = value.toList();
    for (const QVariant& entry : list)
        if (entry.typeId() != QMetaType::QVariantMap)
            return {};
    return list;
}

bool hits(const SnapshotNode& node, QRectF area) {
    const auto frame = AccessibilityRegionFilter::frame(node);
    // A zero-size frame intersects nothing, yet its origin may still lie in the area.
    return frame && (frame->intersects(area) || area.contains(frame->topLeft()));
}

} // namespace

std::optional<SnapshotNode> AccessibilityRegionFilter::filter(const SnapshotNode& node,
                                                              QRectF area) {
    QVariantList kept;
    for (const QVariant& child : childList(node)) {
        if (auto pruned = filter(child.toMap(), area))
            kept.append(*pruned);
    }
    const bool hit = hits(node, area);
    if (!hit && kept.isEmpty())
        return std::nullopt;
    SnapshotNode result = node;
    result.remove(childrenKey);
    if (!kept.isEmpty())
        result.insert(childrenKey, kept);
    return result;
}

int AccessibilityRegionFilter::nodeCount(const SnapshotNode& node) {
    int count = 1;
    for (const QVariant& child : childList(node))
        count += nodeCount(child.toMap());
    return count;
}

std::optional<QRectF> AccessibilityRegionFilter::frame(const SnapshotNode& node) {
    const QVariant value = node.value(QStringLiteral("frame"));
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = value.toMap();
    const auto x = number(map.value(QStringLiteral("x")));
    const auto y = number(map.value(QStringLiteral("y")));
    const auto width = number(map.value(QStringLiteral("width")));
    const auto height = number(map.value(QStringLiteral("height")));
    if (!x || !y || !width || !height)
        return std::nullopt;
    return QRectF(*x, *y, *width, *height);
}

std::optional<double> AccessibilityRegionFilter::number(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return value.toDouble();
    default:
        return std::nullopt;
    }
}

} // namespace vantrel
