#include "AccessibilityCaptureError.h"

namespace vantrel {

QString AccessibilityCaptureError::localizedDescription() const {
    switch (code) {
    case Code::permissionDenied:
        return appName + QStringLiteral(" needs Accessibility access. Enable it in ") +
               settingsPath + QStringLiteral(".");
    case Code::noElement:
        return QStringLiteral("No accessibility element found under the cursor.");
    case Code::writeFailed:
        return QStringLiteral("Could not write accessibility snapshot to disk. ") + detail;
    case Code::serializationFailed:
        return QStringLiteral("Could not serialize the accessibility tree.");
    case Code::targetGone:
        return QStringLiteral("The application quit while its accessibility tree was being read.");
    }
    Q_UNREACHABLE();
}

} // namespace vantrel
