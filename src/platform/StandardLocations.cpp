#include "StandardLocations.h"

#include <QDir>
#include <QStandardPaths>

namespace vantrel {

QString StandardLocations::cachesDirectory() {
    const QString caches = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return caches.isEmpty() ? QDir::tempPath() : caches;
}

QString StandardLocations::appFolderName(const AppIdentity& identity) {
    if (identity.bundleIdentifier) {
        const QStringList parts = identity.bundleIdentifier->split(u'.', Qt::SkipEmptyParts);
        if (!parts.isEmpty())
            return parts.last();
    }
    return QStringLiteral("Vantrel");
}

} // namespace vantrel
