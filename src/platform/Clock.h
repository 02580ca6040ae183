#pragma once

#include <QCoro/QCoroTask>
#include <QDateTime>

#include <chrono>
#include <stop_token>

namespace vantrel {

// Every delay and timer goes through one clock, so tests can drive time instead of waiting.
class Clock {
  public:
    virtual ~Clock() = default;

    virtual QDateTime now() const = 0;
    // Suspends the calling coroutine; the main thread stays free. A stop request resumes it at
    // once, inside request_stop(), so a loop can end even when no event loop runs again.
    virtual QCoro::Task<> sleep(std::chrono::milliseconds duration, std::stop_token stop = {}) = 0;
    // Blocks the calling thread.
    virtual void sleepBlocking(std::chrono::milliseconds duration) = 0;
};

} // namespace vantrel
