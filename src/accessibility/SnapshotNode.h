#pragma once

#include <QMap>
#include <QString>
#include <QVariantMap>

namespace vantrel {

// One node of an accessibility snapshot: loosely typed values (strings, numbers, booleans,
// nested maps and lists) under string keys, sorted like the file that holds it.
using SnapshotNode = QVariantMap;

// One entry of an ancestor chain: exactly "role" and "title".
using AncestorEntry = QMap<QString, QString>;

} // namespace vantrel
