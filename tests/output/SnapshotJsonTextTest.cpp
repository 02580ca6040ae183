#include "output/SnapshotJsonText.h"
#include "support/QtPrinters.h"

#include <QTextBoundaryFinder>
#include <gtest/gtest.h>

#include <random>

using namespace vantrel;

namespace {

const QString truncationMarker = QStringLiteral("\n… (truncated)");

// The plain walk over every boundary of the whole text, for comparison.
QString truncatedByFullWalk(const QString& text, int maxClusters) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype position = 0;
    for (int clusters = 0; clusters < maxClusters; ++clusters) {
        position = finder.toNextBoundary();
        if (position < 0 || position >= text.size())
            return text;
    }
    return text.left(position) + truncationMarker;
}

// Pieces that meet every grapheme rule: ASCII beside combining marks, joiners, emoji, flags,
// Hangul, Indic marks, prepended marks, CR LF and lone surrogates; and pieces below U+0300 only.
const QStringList pieces =
    QStringLiteral("a|{| |\r|\n|\t|\u0301|\u200D|\uFE0F|😀|👩|🇫|🇷|©|\u1100|\u1161|\u11A8|\uAC00|"
                   "\u0915|\u094D|\u0903|\u0600|é|€|\u0300|\u02FF")
        .split(u'|') +
    QStringList{QString(QChar(0xD800)), QString(QChar(0xDC00))};
const QStringList piecesBelowCombiningMarks =
    QStringLiteral("a|{| |\r|\n|\t|é|©|®|\u00AD|\u0085|\u02FF").split(u'|');
// The first combining mark among them: a text of such pieces must not be cut by code units.
const QStringList piecesUpToTheFirstMark = piecesBelowCombiningMarks + QStringList{"\u0300"};

TEST(SnapshotJsonText, CutAgreesWithAWalkOverTheWholeText) {
    std::mt19937 random(20260131);
    std::uniform_int_distribution<int> length(0, 40), limit(0, 30);
    for (int round = 0; round < 4000; ++round) {
        const QStringList& palette = round % 3 == 0   ? pieces
                                     : round % 3 == 1 ? piecesBelowCombiningMarks
                                                      : piecesUpToTheFirstMark;
        std::uniform_int_distribution<int> piece(0, static_cast<int>(palette.size()) - 1);
        QString text;
        for (int count = length(random); count > 0; --count)
            text += palette[piece(random)];
        const int maxClusters = limit(random);
        ASSERT_EQ(SnapshotJsonText::truncated(text, maxClusters),
                  truncatedByFullWalk(text, maxClusters))
            << "round " << round << ", limit " << maxClusters;
    }
}

} // namespace
