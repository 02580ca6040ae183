#include "FileErrors.h"

#include <cstring>

namespace vantrel {

PlatformError FileErrors::fromErrno(const QString& action, const QString& path, int error) {
    PlatformError platformError =
        withReason(action, path, QString::fromLocal8Bit(std::strerror(error)));
    platformError.code = error;
    return platformError;
}

PlatformError FileErrors::withReason(const QString& action, const QString& path,
                                     const QString& reason) {
    return {domain, 0,
            QStringLiteral("Could not ") + action + u' ' + path + QStringLiteral(": ") + reason};
}

} // namespace vantrel
