#pragma once

#include "platform/PlatformError.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"

#include <QCoro/QCoroTask>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace vantrel::test {

// Runs a platform task to its end: its value, or the PlatformError it threw.
template <class T> std::variant<T, PlatformError> awaitResult(QCoro::Task<T> task) {
    std::optional<std::variant<T, PlatformError>> result;
    auto run = [](QCoro::Task<T> task, auto& result) -> QCoro::Task<> {
        try {
            result = co_await std::move(task);
        } catch (const PlatformError& error) {
            result = error;
        }
    };
    QCoro::waitFor(run(std::move(task), result));
    return *result;
}

inline QString scenePath(const QString& name) {
    return QStringLiteral(VANTREL_SOURCE_DIR "/examples/scenes/") + name;
}

// A scene of one window (id 1, pid 10, bounds [0, 0, 100, 100]) whose accessibility root is ax.
inline std::string sceneWithAx(std::string_view ax) {
    return R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": )" +
           std::string(ax) + "}]}";
}

// Three screens: the menu-bar screen at scale 2, one to its left and one above it. Front to back:
// a titled window over an untitled one at layer 3 (they overlap around (350, 250)), an off-screen
// window, a window of a process that is no application, one of ours and a desktop window. Pid 30
// is an application without a name; pid 10 is frontmost.
inline const char* const windowScene = R"({
    "screens": [{"frame": [0, 0, 1000, 800], "visibleFrame": [0, 0, 1000, 775], "scale": 2,
                 "safeAreaTop": 32},
                {"frame": [-1920, -180, 1920, 1080], "displayID": 7},
                {"frame": [0, 800, 1280, 800], "number": null}],
    "mouse": [-960, 400],
    "apps": [{"pid": 10, "name": "Named", "bundleId": "com.example.named"},
             {"pid": 20, "name": "Anonymous", "bundleId": null}, {"pid": 30}],
    "self": {"pid": 99}, "bundleIdentifier": "com.example.self", "frontmost": 10,
    "windows": [
      {"id": 1, "pid": 10, "title": "Front", "bounds": [100, 100, 300, 200]},
      {"id": 2, "pid": 20, "bounds": [200, 150, 400, 300], "layer": 3},
      {"id": 3, "pid": 10, "title": "Hidden", "bounds": [0, 0, 50, 50], "onScreen": false},
      {"id": 4, "pid": 77, "title": "Stranger", "bounds": [700, 500, 200, 200]},
      {"id": 5, "pid": 99, "title": "Ours", "bounds": [0, 600, 100, 100]},
      {"id": 6, "pid": 10, "bounds": [0, 0, 600, 500], "layer": -2147483603, "desktop": true}
    ]})";

inline std::unique_ptr<SimDesktop> desktopFromJson(const std::string& json) {
    return std::make_unique<SimDesktop>(SceneLoader::fromJson(QByteArray::fromStdString(json)));
}

inline std::unique_ptr<SimDesktop> desktopFromFile(const QString& name) {
    return SimDesktop::fromFile(scenePath(name));
}

} // namespace vantrel::test
