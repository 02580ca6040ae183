#include "BundlePasteboardFormatSettings.h"

#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

namespace vantrel {

BundlePasteboardFormat BundlePasteboardFormatSettings::activeFormat(const UserDefaults& defaults) {
    return bundlePasteboardFormatFromRaw(defaults.string(defaultsKey).value_or(QString()))
        .value_or(BundlePasteboardFormat::claudeCodeV2);
}

void BundlePasteboardFormatSettings::setActiveFormat(UserDefaults& defaults,
                                                     NotificationCenter& center,
                                                     BundlePasteboardFormat format) {
    defaults.setString(defaultsKey, rawValue(format));
    center.post(formatDidChangeNotification);
}

} // namespace vantrel
