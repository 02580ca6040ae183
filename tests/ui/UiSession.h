#pragma once

#include "platform/MemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/VirtualClock.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/SystemPermissionsService.h"

namespace vantrel::testing {

// One 1440 × 900 screen with both permissions granted or both missing, and the services the tray
// app builds on it; the permission monitor is not started.
struct UiSession {
    explicit UiSession(bool granted)
        : desktop(
              SceneLoader::fromJson(QStringLiteral(R"({"screens": [{"frame": [0, 0, 1440, 900]}],
                  "permissions": {"accessibility": %1, "screenRecording": %1}})")
                                        .arg(granted ? "true" : "false")
                                        .toUtf8())) {}

    SimDesktop desktop;
    Platform platform = desktop.platform();
    MemoryUserDefaults defaults;
    NotificationCenter center;
    VirtualClock clock;
    SystemPermissionsService permissions{platform, center, clock};
};

} // namespace vantrel::testing
