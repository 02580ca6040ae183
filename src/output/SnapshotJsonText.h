#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace vantrel {

// The accessibility snapshot as text, for embedding in documents and pasteboard texts.
struct SnapshotJsonText {
    // The whole file as UTF-8 text; none when it cannot be read, is not valid UTF-8, or is empty.
    static std::optional<QString> read(const QUrl& fileURL);
    // The same for bytes already in memory.
    static std::optional<QString> decode(const QByteArray& bytes);
    // The first maxClusters grapheme clusters plus "\n… (truncated)" when the text is longer;
    // the text unchanged otherwise.
    static QString truncated(const QString& text, int maxClusters);
};

} // namespace vantrel
