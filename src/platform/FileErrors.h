#pragma once

#include "PlatformError.h"

#include <QString>

namespace vantrel {

// File-system failures as platform errors: the description names the path and the OS reason.
struct FileErrors {
    static inline const QString domain = QStringLiteral("file");

    // action reads like "create the folder" and is followed by the path.
    static PlatformError fromErrno(const QString& action, const QString& path, int error);
    static PlatformError withReason(const QString& action, const QString& path,
                                    const QString& reason);
};

} // namespace vantrel
