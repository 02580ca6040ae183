#pragma once

#include <QString>

namespace vantrel {

// The captures folder on disk: private creation, unique capture folders, and rotation.
struct CaptureFolders {
    // Creates path and its missing parents, each open to the user alone. Throws PlatformError.
    static void makePrivatePath(const QString& path);
    // Creates a private folder at path; false when any item is already there. Throws
    // PlatformError on other failures.
    static bool createExclusive(const QString& path);
    // Deletes all but the `keeping` newest directories of root, by modification time. `current`
    // is always kept and counts as one of them. Links, plain files and hidden entries are never
    // counted or deleted; failures are ignored.
    static void rotate(const QString& root, int keeping, const QString& current);
};

} // namespace vantrel
