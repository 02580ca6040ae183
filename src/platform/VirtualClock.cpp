#include "VirtualClock.h"

namespace vantrel {

struct VirtualClock::SleepAwaiter {
    VirtualClock* clock;
    std::chrono::milliseconds deadline;

    bool await_ready() const noexcept { return deadline <= clock->m_elapsed; }
    void await_suspend(std::coroutine_handle<> handle) {
        clock->m_sleepers.emplace(deadline, handle);
    }
    void await_resume() const noexcept {}
};

VirtualClock::VirtualClock(QDateTime start) : m_start(std::move(start)) {}

QDateTime VirtualClock::now() const {
    return m_start.addMSecs(m_elapsed.count());
}

QCoro::Task<> VirtualClock::sleep(std::chrono::milliseconds duration) {
    m_requested.append(duration);
    co_await SleepAwaiter{this, m_elapsed + duration};
}

void VirtualClock::sleepBlocking(std::chrono::milliseconds duration) {
    m_requested.append(duration);
    m_elapsed += duration;
}

void VirtualClock::advance(std::chrono::milliseconds duration) {
    const auto target = m_elapsed + duration;
    // A resumed sleeper may sleep again; keep going until nothing is due before the target.
    while (!m_sleepers.empty() && m_sleepers.begin()->first <= target) {
        auto next = m_sleepers.begin();
        m_elapsed = std::max(m_elapsed, next->first);
        const auto handle = next->second;
        m_sleepers.erase(next);
        handle.resume();
    }
    m_elapsed = target;
}

} // namespace vantrel
