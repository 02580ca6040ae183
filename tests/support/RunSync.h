#pragma once

#include <QCoro/QCoroTask>

#include <optional>

namespace vantrel::testing {

// Runs a task to its end in a local event loop. Works for results that have no default value.
template <class T> T runSync(QCoro::Task<T> task) {
    auto wrapped = [](QCoro::Task<T> inner) -> QCoro::Task<std::optional<T>> {
        co_return co_await std::move(inner);
    };
    return *QCoro::waitFor(wrapped(std::move(task)));
}

inline void runSync(QCoro::Task<> task) {
    QCoro::waitFor(std::move(task));
}

} // namespace vantrel::testing
