#pragma once

#include "platform/LoginItemService.h"

#include <QString>

namespace vantrel {

struct PlatformVocabulary;

// Starting the application at login, through the platform's login item.
struct LaunchAtLogin {
    // Registers or unregisters only when the wanted state differs from the enabled one; throws
    // the platform's PlatformError unchanged.
    static void setEnabled(LoginItemService& loginItem, bool enabled);
    static QString statusText(LoginItemService::Status status,
                              const PlatformVocabulary& vocabulary);
};

} // namespace vantrel
