#include "UpdateCheckResult.h"

namespace vantrel {

UpdateCheckResult UpdateCheckResult::updateAvailable(const QString& newVersion,
                                                     const QString& runningVersion,
                                                     const QUrl& notesUrl,
                                                     const QUrl& downloadUrl) {
    return {
        Kind::updateAvailable, newVersion, notesUrl, downloadUrl,
        QStringLiteral("Vantrel %1 is available (you have %2).").arg(newVersion, runningVersion)};
}

UpdateCheckResult UpdateCheckResult::upToDate(const QString& runningVersion) {
    return {Kind::upToDate,
            runningVersion,
            {},
            {},
            QStringLiteral("Vantrel is up to date (version %1).").arg(runningVersion)};
}

UpdateCheckResult UpdateCheckResult::failed(const QString& reason) {
    return {
        Kind::failed, {}, {}, {}, QStringLiteral("Could not check for updates: %1").arg(reason)};
}

UpdateCheckResult UpdateCheckResult::managedByPackageManager(const QString& message) {
    return {Kind::managedByPackageManager, {}, {}, {}, message};
}

} // namespace vantrel
