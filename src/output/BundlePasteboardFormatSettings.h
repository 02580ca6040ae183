#pragma once

#include "BundlePasteboardFormat.h"

namespace vantrel {

class NotificationCenter;
class UserDefaults;

// The stored pasteboard layout of full captures.
struct BundlePasteboardFormatSettings {
    static inline const QString defaultsKey =
        QStringLiteral("vantrel.activeBundlePasteboardFormat");
    static inline const QString formatDidChangeNotification =
        QStringLiteral("vantrel.bundlePasteboardFormatDidChange");

    static BundlePasteboardFormat activeFormat(const UserDefaults& defaults);
    // Never touches the stored agent.
    static void setActiveFormat(UserDefaults& defaults, NotificationCenter& center,
                                BundlePasteboardFormat format);
};

} // namespace vantrel
