#include "CaptureModeSettings.h"

#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

namespace vantrel {

CaptureMode CaptureModeSettings::primaryMode(const UserDefaults& defaults) {
    return captureModeFromRaw(defaults.string(defaultsKey).value_or(QString()))
        .value_or(CaptureMode::bundle);
}

void CaptureModeSettings::setPrimaryMode(UserDefaults& defaults, NotificationCenter& center,
                                         CaptureMode mode) {
    defaults.setString(defaultsKey, rawValue(mode));
    center.post(modeDidChangeNotification);
}

} // namespace vantrel
