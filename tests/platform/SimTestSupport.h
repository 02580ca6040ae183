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

// A scene of one window (id 1, pid 10, bounds [0, 0, 100, 100]) whose accessibility root is ax.
inline std::string sceneWithAx(std::string_view ax) {
    return R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": )" +
           std::string(ax) + "}]}";
}

// One screen at scale 2. Front to back: a window over another at layer 3 (they overlap around
// (350, 250)), an off-screen window and a desktop window under them all.
inline const char* const windowScene = R"({
    "screens": [{"frame": [0, 0, 1000, 800], "scale": 2}],
    "apps": [{"pid": 10, "name": "Named"}, {"pid": 20, "name": "Anonymous"}],
    "windows": [
      {"id": 1, "pid": 10, "title": "Front", "bounds": [100, 100, 300, 200]},
      {"id": 2, "pid": 20, "title": "Palette", "bounds": [200, 150, 400, 300], "layer": 3},
      {"id": 3, "pid": 10, "title": "Hidden", "bounds": [0, 0, 50, 50], "onScreen": false},
      {"id": 6, "pid": 10, "bounds": [0, 0, 600, 500], "layer": -2147483603, "desktop": true}
    ]})";

inline std::unique_ptr<SimDesktop> desktopFromJson(const std::string& json) {
    return std::make_unique<SimDesktop>(SceneLoader::fromJson(QByteArray::fromStdString(json)));
}

} // namespace vantrel::test
