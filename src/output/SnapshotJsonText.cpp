#include "SnapshotJsonText.h"

#include <QFile>
#include <QStringDecoder>
#include <QTextBoundaryFinder>

namespace vantrel {

namespace {

// Where the first maxClusters clusters end, or none when the text has no more than that.
std::optional<qsizetype> cutPosition(const QString& text, int maxClusters) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype position = 0;
    for (int clusters = 0; clusters < maxClusters; ++clusters) {
        position = finder.toNextBoundary();
        if (position < 0 || position >= text.size())
            return std::nullopt;
    }
    return position;
}

} // namespace

std::optional<QString> SnapshotJsonText::read(const QUrl& fileURL) {
    QFile file(fileURL.toLocalFile());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    // A leading byte-order mark is kept as text, so the byte count matches the file.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError() || text.isEmpty())
        return std::nullopt;
    return text;
}

QString SnapshotJsonText::truncated(const QString& text, int maxClusters) {
    const auto cut = cutPosition(text, maxClusters);
    if (!cut)
        return text;
    return text.left(*cut) + QStringLiteral("\n… (truncated)");
}

} // namespace vantrel
