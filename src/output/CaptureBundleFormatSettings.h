#pragma once

#include "CaptureBundleFormat.h"

namespace vantrel {

class NotificationCenter;
class UserDefaults;

// The stored choice of which capture document the pasteboard references.
struct CaptureBundleFormatSettings {
    static inline const QString defaultsKey = QStringLiteral("vantrel.activeBundleFormat");
    static inline const QString formatDidChangeNotification =
        QStringLiteral("vantrel.captureBundleFormatDidChange");

    static CaptureBundleFormat activeFormat(const UserDefaults& defaults);
    static void setActiveFormat(UserDefaults& defaults, NotificationCenter& center,
                                CaptureBundleFormat format);
};

} // namespace vantrel
