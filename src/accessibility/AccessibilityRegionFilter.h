#pragma once

#include "SnapshotNode.h"

#include <QRectF>
#include <QVariant>

#include <optional>

namespace vantrel {

// Prunes a snapshot tree to the nodes that lie in an area, keeping their ancestors as the path to
// them. Works on snapshot nodes only; every key but "children" is carried along untouched.
struct AccessibilityRegionFilter {
    // The area is in top-left space. None when nothing in the tree lies in it.
    static std::optional<SnapshotNode> filter(const SnapshotNode& node, QRectF area);
    // A missing or malformed "children" counts as none.
    static int nodeCount(const SnapshotNode& node);
    static std::optional<QRectF> frame(const SnapshotNode& node);
    static std::optional<double> number(const QVariant& value);
};

} // namespace vantrel
