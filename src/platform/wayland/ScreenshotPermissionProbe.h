#pragma once

#include "../DesktopDiagnostics.h"

#include <QMap>
#include <QStringList>

namespace vantrel {

// Reads the Screenshot portal's permission for Vantrel from the permission store, where GNOME
// keeps the answer to "Allow Applications to Take Screenshots?". An application outside a
// sandbox has the empty app id.
struct ScreenshotPermissionProbe {
    static ScreenshotPermissionState probe();
    // The answer for the empty app id in the store's `screenshot` entry.
    static ScreenshotPermissionState::Answer answer(const QMap<QString, QStringList>& entry);
};

} // namespace vantrel
