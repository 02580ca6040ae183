#pragma once

#include "platform/PlatformError.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"

#include <QCoro/QCoroTask>

#include <memory>
#include <optional>
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

inline std::unique_ptr<SimDesktop> desktopFromJson(const QByteArray& json) {
    return std::make_unique<SimDesktop>(SceneLoader::fromJson(json));
}

inline std::unique_ptr<SimDesktop> desktopFromFile(const QString& name) {
    return SimDesktop::fromFile(scenePath(name));
}

} // namespace vantrel::test
