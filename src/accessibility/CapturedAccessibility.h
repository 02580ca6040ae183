#pragma once

#include "platform/ToolkitClues.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace vantrel {

// One accessibility snapshot, already written to its file.
struct CapturedAccessibility {
    QUrl fileURL;
    int nodeCount = 0;
    QString summary;
    QString inlinePreview;
    std::optional<QString> regionNote; // area captures only
    // The snapshot's root is a control that has no children by nature (a button, a field...).
    bool rootIsLeaf = false;
    QString rootRole = {};
    // The toolkit of the root's application; read only when the snapshot is its root alone.
    ToolkitClues toolkit = {};
};

} // namespace vantrel
