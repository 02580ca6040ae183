#pragma once

#include <QString>

#include <optional>

namespace vantrel {

// Cutting texts after a number of user-perceived characters (extended grapheme clusters), so a
// cut never splits an emoji or a letter from its accent.
struct GraphemeText {
    // Where the first maxClusters clusters end; none when the text has no more than that.
    static std::optional<qsizetype> cutPosition(const QString& text, int maxClusters);
};

} // namespace vantrel
