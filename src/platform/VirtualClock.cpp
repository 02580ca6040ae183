#include "VirtualClock.h"

#include <optional>

namespace vantrel {

namespace {

using Sleepers = std::multimap<std::chrono::milliseconds, std::coroutine_handle<>>;

struct Wake {
    Sleepers* sleepers;
    Sleepers::iterator entry;
    void operator()() const {
        const auto handle = entry->second;
        sleepers->erase(entry);
        handle.resume();
    }
};

} // namespace

// Holds pointers only: GCC copies an awaiter named in co_await, and the stop callback must stay
// where it registered.
struct VirtualClock::SleepAwaiter {
    VirtualClock* clock;
    std::chrono::milliseconds deadline;
    const std::stop_token* stop;
    std::optional<std::stop_callback<Wake>>* wake;

    bool await_ready() const noexcept {
        return deadline <= clock->m_elapsed || stop->stop_requested();
    }
    void await_suspend(std::coroutine_handle<> handle) const {
        wake->emplace(*stop, Wake{&clock->m_sleepers, clock->m_sleepers.emplace(deadline, handle)});
    }
    void await_resume() const noexcept {}
};

VirtualClock::VirtualClock(QDateTime start) : m_start(std::move(start)) {}

QDateTime VirtualClock::now() const {
    return m_start.addMSecs(m_elapsed.count());
}

QCoro::Task<> VirtualClock::sleep(std::chrono::milliseconds duration, std::stop_token stop) {
    m_requested.append(duration);
    std::optional<std::stop_callback<Wake>> wake;
    const SleepAwaiter awaiter{this, m_elapsed + duration, &stop, &wake};
    co_await awaiter;
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
