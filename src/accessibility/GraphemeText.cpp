#include "GraphemeText.h"

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

std::optional<qsizetype> cutPositionByFinder(const QString& text, int maxClusters) {
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

std::optional<qsizetype> GraphemeText::cutPosition(const QString& text, int maxClusters) {
    // A cluster holds at least one code unit, so a text no longer than the limit is never cut;
    // nor is an empty text, whatever the limit.
    if (text.size() <= std::max(maxClusters, 0))
        return std::nullopt;
    if (maxClusters <= 0)
        return 0;
    if (everyUnitStandsAlone(text))
        return cutPositionByUnits(text, maxClusters);
    return cutPositionByFinder(text, maxClusters);
}

} // namespace vantrel
