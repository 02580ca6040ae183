#pragma once

#include <QString>
#include <QUrl>

namespace vantrel {

// What one user-initiated update check found, with the text to show for it. The updater only
// points at a download; it never replaces the running program.
struct UpdateCheckResult {
    enum class Kind { updateAvailable, upToDate, failed, managedByPackageManager };

    Kind kind = Kind::failed;
    QString version; // the newer version on offer, or the running one when up to date
    QUrl notesUrl;
    QUrl downloadUrl;
    QString message;

    static UpdateCheckResult updateAvailable(const QString& newVersion,
                                             const QString& runningVersion, const QUrl& notesUrl,
                                             const QUrl& downloadUrl);
    static UpdateCheckResult upToDate(const QString& runningVersion);
    static UpdateCheckResult failed(const QString& reason);
    static UpdateCheckResult managedByPackageManager(const QString& message);

    bool operator==(const UpdateCheckResult&) const = default;
};

} // namespace vantrel
