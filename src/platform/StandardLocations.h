#pragma once

#include "AppIdentity.h"

#include <QString>

namespace vantrel {

// Where the application keeps its files: the user's caches folder (the temporary folder when
// there is none), and the folder name the bundle identifier gives.
struct StandardLocations {
    static QString cachesDirectory();
    // The last non-empty dot-separated part of the bundle identifier, else "Vantrel".
    static QString appFolderName(const AppIdentity& identity);
};

} // namespace vantrel
