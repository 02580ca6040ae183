#pragma once

#include "CapturedAccessibility.h"
#include "platform/ToolkitClues.h"

#include <QList>
#include <QString>

namespace vantrel {

// Which toolkit an application is built with, and what it needs to expose its accessibility
// tree: the one table both `vantrel doctor` and the empty-tree advice of a capture read.
class ToolkitAdvice final {
  public:
    enum class Toolkit { gtk, qt, chromium, electron, firefox, java, unknown };

    struct Entry {
        Toolkit toolkit;
        QString name;     // "Qt"
        bool worksAsIs;   // exposes its tree without any setup
        QString cause;    // why such an application shows no tree
        QString fix;      // one line: what to do about it
        QString shortFix; // the same, short enough for a toast; empty where none helps
    };

    static Toolkit recognise(const ToolkitClues& clues);
    static const Entry& entry(Toolkit toolkit);
    static const Entry& entryFor(const ToolkitClues& clues) { return entry(recognise(clues)); }
    static const QList<Entry>& table();

    // Why a snapshot came back empty: its root alone, a window or an application rather than a
    // control that has no children by nature. None for any other snapshot.
    static const Entry* emptyTreeCause(const CapturedAccessibility& snapshot);
    // The status line's follow-up and capture1.md's line for such a snapshot.
    static QString emptyTreeExplanation(const Entry& entry);
};

} // namespace vantrel
