#include "LaunchAtLogin.h"

#include "platform/PlatformVocabulary.h"

namespace vantrel {

void LaunchAtLogin::setEnabled(LoginItemService& loginItem, bool enabled) {
    const bool isEnabled = loginItem.status() == LoginItemService::Status::enabled;
    if (enabled && !isEnabled)
        loginItem.registerItem();
    else if (!enabled && isEnabled)
        loginItem.unregisterItem();
}

QString LaunchAtLogin::statusText(LoginItemService::Status status,
                                  const PlatformVocabulary& vocabulary) {
    switch (status) {
    case LoginItemService::Status::enabled:
        return QStringLiteral("Vantrel ") + vocabulary.startsAtLogin + QStringLiteral(".");
    case LoginItemService::Status::requiresApproval:
        return QStringLiteral("Blocked in ") + vocabulary.loginItemsSettingsPath +
               QStringLiteral(".");
    case LoginItemService::Status::notFound:
        return QStringLiteral("Not registered yet.");
    case LoginItemService::Status::notRegistered:
        break;
    }
    return QStringLiteral("Vantrel does not start on its own.");
}

} // namespace vantrel
