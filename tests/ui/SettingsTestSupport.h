#pragma once

// The settings view model on the simulated desktop, wired as the tray app wires it.

#include "app/cli/GivenRegionSelection.h"
#include "app/tray/TrayApplication.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/StandardLocations.h"
#include "platform/VirtualClock.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/SystemPermissionsService.h"
#include "ui/SettingsViewModel.h"

#include <memory>
#include <optional>

namespace vantrel::testing {

inline QByteArray settingsScene(bool accessibility, bool screenRecording) {
    return QStringLiteral(R"({"screens": [{"frame": [0, 0, 1440, 900]}],
        "permissions": {"accessibility": %1, "screenRecording": %2}})")
        .arg(accessibility ? "true" : "false", screenRecording ? "true" : "false")
        .toUtf8();
}

struct SettingsOptions {
    bool accessibility = false;
    bool screenRecording = false;
    std::optional<QString> version = QStringLiteral("1.2.3");
    std::optional<QString> build = QStringLiteral("abc1234");
    PlatformVocabulary vocabulary = PlatformVocabulary::macOS();
};

struct SettingsHarness {
    explicit SettingsHarness(SettingsOptions options = {})
        : desktop(
              SceneLoader::fromJson(settingsScene(options.accessibility, options.screenRecording))),
          tray(platform, defaults, center, clock, regionSelection),
          model(std::make_unique<SettingsViewModel>(SettingsViewModel::Dependencies{
              defaults, center, permissions, desktop.loginItem(), desktop.workspace(),
              options.vocabulary, tray.delegate(),
              StandardLocations::cachesDirectory() + QStringLiteral("/Vantrel/captures"),
              options.version, options.build})) {}

    // Polls the permissions once, as the running app does at start-up.
    void pollPermissions() { permissions.startMonitoring(); }

    SimDesktop desktop;
    Platform platform = desktop.platform();
    MemoryUserDefaults defaults;
    NotificationCenter center;
    VirtualClock clock;
    GivenRegionSelection regionSelection{std::nullopt};
    SystemPermissionsService permissions{platform, center, clock};
    TrayApplication tray;
    std::unique_ptr<SettingsViewModel> model;
};

// Counts a signal's emissions for as long as the counter lives.
template <class Sender, class Signal> std::shared_ptr<int> countOf(Sender* sender, Signal signal) {
    auto count = std::make_shared<int>(0);
    QObject::connect(sender, signal, [count] { ++*count; });
    return count;
}

} // namespace vantrel::testing
