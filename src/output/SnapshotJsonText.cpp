#include "SnapshotJsonText.h"

#include "accessibility/GraphemeText.h"

#include <QFile>
#include <QStringDecoder>

namespace vantrel {

std::optional<QString> SnapshotJsonText::read(const QUrl& fileURL) {
    QFile file(fileURL.toLocalFile());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return decode(bytes);
}

std::optional<QString> SnapshotJsonText::decode(const QByteArray& bytes) {
    // A leading byte-order mark is kept as text, so the byte count matches the file.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError() || text.isEmpty())
        return std::nullopt;
    return text;
}

QString SnapshotJsonText::truncated(const QString& text, int maxClusters) {
    // With no clusters allowed even an empty text is marked as cut.
    const auto cut = maxClusters <= 0 ? std::optional<qsizetype>(0)
                                      : GraphemeText::cutPosition(text, maxClusters);
    if (!cut)
        return text;
    return text.left(*cut) + QStringLiteral("\n… (truncated)");
}

} // namespace vantrel
