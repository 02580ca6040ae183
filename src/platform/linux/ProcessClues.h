#pragma once

#include "../ToolkitClues.h"

namespace vantrel {

// What /proc shows of a process: its program, command line and loaded libraries. A process of
// another user or one that is gone leaves the fields it cannot read empty.
struct ProcessClues {
    static ToolkitClues of(qint64 pid);
};

} // namespace vantrel
