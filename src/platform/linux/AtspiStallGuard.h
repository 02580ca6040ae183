#pragma once

#include <QHash>
#include <QString>

#include <chrono>

namespace vantrel {

// Remembers applications that let an AT-SPI call run into its timeout, so that the rest of a
// walk fails at once instead of waiting out the timeout on every one of their elements.
class AtspiStallGuard final {
  public:
    using Clock = std::chrono::steady_clock;

    explicit AtspiStallGuard(std::chrono::milliseconds callTimeout,
                             std::chrono::milliseconds quarantine);

    // A failed call that took this long was a timeout, not an answer.
    bool isTimeout(std::chrono::nanoseconds elapsed) const;
    void markStalled(const QString& application, Clock::time_point now);
    bool isStalled(const QString& application, Clock::time_point now) const;

  private:
    std::chrono::milliseconds m_callTimeout;
    std::chrono::milliseconds m_quarantine;
    QHash<QString, Clock::time_point> m_stalledUntil;
};

} // namespace vantrel
