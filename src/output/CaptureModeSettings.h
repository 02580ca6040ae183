#pragma once

#include "CaptureMode.h"

namespace vantrel {

class NotificationCenter;
class UserDefaults;

// The stored capture mode, read afresh on every use.
struct CaptureModeSettings {
    static inline const QString defaultsKey = QStringLiteral("vantrel.primaryCaptureMode");
    static inline const QString modeDidChangeNotification =
        QStringLiteral("vantrel.captureModeDidChange");

    static CaptureMode primaryMode(const UserDefaults& defaults);
    static void setPrimaryMode(UserDefaults& defaults, NotificationCenter& center,
                               CaptureMode mode);
};

} // namespace vantrel
