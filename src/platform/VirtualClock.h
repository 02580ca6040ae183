#pragma once

#include "Clock.h"

#include <QList>

#include <coroutine>
#include <map>

namespace vantrel {

// A clock that moves only when told to. Sleeping coroutines resume, in deadline order, when
// advance() passes their deadline; a blocking sleep moves the time on at once.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(QDateTime start = QDateTime(QDate(2026, 1, 31), QTime(9, 15, 2),
                                                      Qt::UTC));

    QDateTime now() const override;
    QCoro::Task<> sleep(std::chrono::milliseconds duration, std::stop_token stop = {}) override;
    void sleepBlocking(std::chrono::milliseconds duration) override;

    void advance(std::chrono::milliseconds duration);
    std::chrono::milliseconds elapsed() const { return m_elapsed; }
    int pendingSleepers() const { return static_cast<int>(m_sleepers.size()); }
    // Every duration asked of sleep() and sleepBlocking(), in order.
    const QList<std::chrono::milliseconds>& requestedSleeps() const { return m_requested; }

  private:
    struct SleepAwaiter;

    QDateTime m_start;
    std::chrono::milliseconds m_elapsed{0};
    std::multimap<std::chrono::milliseconds, std::coroutine_handle<>> m_sleepers;
    QList<std::chrono::milliseconds> m_requested;
};

} // namespace vantrel
