#pragma once

#include <QString>

#include <optional>

namespace vantrel {

// Where the clipboard server program of the running executable is: beside it (the build tree),
// else in lib/vantrel/ under its prefix (make install, the package), as private helper programs
// go on Debian.
struct ClipboardServerProgram {
    // The path found; none when it is in neither place, and then `missing` says where it was
    // looked for.
    static std::optional<QString> find(const QString& runningExecutable, QString& missing);
};

} // namespace vantrel
