#include "AgentPasteTargetSettings.h"

#include "BundlePasteboardFormatSettings.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

namespace vantrel {

namespace {

AgentPasteTarget derivedFromPasteboardFormat(const UserDefaults& defaults) {
    switch (BundlePasteboardFormatSettings::activeFormat(defaults)) {
    case BundlePasteboardFormat::claudeCodeV1:
    case BundlePasteboardFormat::claudeCodeV2:
        return AgentPasteTarget::claudeCode;
    default:
        return AgentPasteTarget::cursor;
    }
}

} // namespace

AgentPasteTarget AgentPasteTargetSettings::target(const UserDefaults& defaults) {
    if (const auto stored =
            agentPasteTargetFromRaw(defaults.string(defaultsKey).value_or(QString())))
        return *stored;
    return derivedFromPasteboardFormat(defaults);
}

void AgentPasteTargetSettings::setTarget(UserDefaults& defaults, NotificationCenter& center,
                                         AgentPasteTarget target) {
    defaults.setString(defaultsKey, rawValue(target));
    BundlePasteboardFormatSettings::setActiveFormat(defaults, center,
                                                    preferredPasteboardFormat(target));
    center.post(targetDidChangeNotification);
}

} // namespace vantrel
