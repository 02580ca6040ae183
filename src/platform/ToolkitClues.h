#pragma once

#include <QString>
#include <QStringList>

namespace vantrel {

// What a backend can tell about the toolkit behind an application: the name it gives on the
// accessibility bus and what its process shows. Any of it may be empty.
struct ToolkitClues {
    QString toolkitName;   // as the application reports it ("GTK", "Qt", "Chromium"…)
    QString executable;    // the program's path
    QStringList arguments; // its command line, program first
    QStringList libraries; // file names of the shared libraries it has loaded
};

} // namespace vantrel
