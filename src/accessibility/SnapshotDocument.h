#pragma once

#include "SnapshotNode.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

namespace vantrel {

// The content of one snapshot file. Points and areas are in top-left space.
struct SnapshotDocument {
    QList<AncestorEntry> ancestors; // the root first
    QDateTime capturedAt;
    QPointF mouse;
    std::optional<QRectF> region; // area captures only, not widened
    std::optional<QString> regionNote;
    QString targetSummary;
    SnapshotNode tree;

    // Indented, keys sorted at every level; none when JSON cannot hold the content.
    std::optional<QByteArray> encoded() const;
};

} // namespace vantrel
