#pragma once

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
};

} // namespace vantrel
