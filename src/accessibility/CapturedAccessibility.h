#pragma once

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
};

} // namespace vantrel
