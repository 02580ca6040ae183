#include "SnapshotJsonText.h"

#include <QFile>
#include <QStringDecoder>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace vantrel {

namespace {

// Below U+0300 there are no combining marks, joiners, surrogates, or scripts whose clusters Qt
// tailors, so each code unit is a cluster of its own, except an LF after a CR.
bool everyUnitStandsAlone(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar unit) { return unit.unicode() < 0x300; });
}

std::optional<qsizetype> cutPositionByUnits(QStringView text, int maxClusters) {
    int clusters = 0;
    for (qsizetype position = 1; position <= text.size(); ++position) {
        if (position < text.size() && text[position - 1] == u'\r' && text[position] == u'\n')
            continue;
        if (++clusters == maxClusters)
            return position < text.size() ? std::optional(position) : std::nullopt;
    }
    return std::nullopt;
}

// Where the first maxClusters clusters end, or none when the text has no more than that.
std::optional<qsizetype> cutPosition(const QString& text, int maxClusters) {
    if (maxClusters > 0 && everyUnitStandsAlone(text))
        return cutPositionByUnits(text, maxClusters);
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
    // A cluster holds at least one code unit, so the cluster walk is needed only past the limit.
    if (maxClusters > 0 && text.size() <= maxClusters)
        return text;
    const auto cut = cutPosition(text, maxClusters);
    if (!cut)
        return text;
    return text.left(*cut) + QStringLiteral("\n… (truncated)");
}

} // namespace vantrel
