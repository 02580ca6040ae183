#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

namespace vantrel {

// A snapshot file's tree as a compact outline, one line per node: role, quoted title and value,
// frame, states and a short ref (n1 is the root, numbered depth first), the target marked. The
// outline stops at a character budget (tokens × 4) and says what it left out and how to read it.
struct SnapshotOutline {
    static constexpr int charactersPerToken = 4;
    // Longest title or value shown; the file holds the rest.
    static constexpr int maxTextCharacters = 80;

    struct Options {
        QString captureId; // named in the note about what was left out
        int budgetTokens = 4000;
        QString startRef;  // empty: the root
        int maxDepth = -1; // levels below the start; -1: all
    };
    struct Result {
        QString text;
        int shownNodes = 0;
        int totalNodes = 0; // below and including the start, within maxDepth or not
        bool found = true;  // false when startRef names no node
    };

    static Result render(const QJsonObject& snapshot, const Options& options);
};

} // namespace vantrel
