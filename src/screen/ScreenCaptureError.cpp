#include "ScreenCaptureError.h"

namespace vantrel {

QString ScreenCaptureError::localizedDescription() const {
    switch (code) {
    case Code::permissionDenied:
        return appName + QStringLiteral(" needs Screen Recording access. Enable it in ") +
               settingsPath + QStringLiteral(".");
    case Code::noDisplays:
        return QStringLiteral("No displays found to capture.");
    case Code::writeFailed:
        return QStringLiteral("Could not write screenshot to disk. ") + detail;
    case Code::captureFailed:
        return QStringLiteral("Screen capture failed.");
    }
    Q_UNREACHABLE();
}

} // namespace vantrel
