#include "SystemClock.h"

#include <QTimer>

#include <optional>
#include <thread>

namespace vantrel {

namespace {

struct Wake {
    QTimer* timer;
    std::coroutine_handle<> handle;
    void operator()() const {
        timer->stop();
        handle.resume();
    }
};

} // namespace

// Holds pointers only: GCC copies an awaiter named in co_await, and neither the timer nor the
// stop callback may move.
struct SystemClock::SleepAwaiter {
    std::chrono::milliseconds duration;
    const std::stop_token* stop;
    QTimer* timer;
    std::optional<std::stop_callback<Wake>>* wake;

    bool await_ready() const noexcept { return stop->stop_requested(); }
    void await_suspend(std::coroutine_handle<> handle) const {
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, [handle] { handle.resume(); });
        timer->start(duration);
        wake->emplace(*stop, Wake{timer, handle});
    }
    void await_resume() const noexcept {}
};

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTimeUtc();
}

QCoro::Task<> SystemClock::sleep(std::chrono::milliseconds duration, std::stop_token stop) {
    QTimer timer;
    std::optional<std::stop_callback<Wake>> wake;
    const SleepAwaiter awaiter{duration, &stop, &timer, &wake};
    co_await awaiter;
}

void SystemClock::sleepBlocking(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

} // namespace vantrel
