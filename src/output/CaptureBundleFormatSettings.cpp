#include "CaptureBundleFormatSettings.h"

#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

namespace vantrel {

CaptureBundleFormat CaptureBundleFormatSettings::activeFormat(const UserDefaults& defaults) {
    return captureBundleFormatFromRaw(defaults.string(defaultsKey).value_or(QString()))
        .value_or(CaptureBundleFormat::experimental);
}

void CaptureBundleFormatSettings::setActiveFormat(UserDefaults& defaults,
                                                  NotificationCenter& center,
                                                  CaptureBundleFormat format) {
    defaults.setString(defaultsKey, rawValue(format));
    center.post(formatDidChangeNotification);
}

} // namespace vantrel
