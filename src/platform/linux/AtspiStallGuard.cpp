#include "AtspiStallGuard.h"

namespace vantrel {

AtspiStallGuard::AtspiStallGuard(std::chrono::milliseconds callTimeout,
                                 std::chrono::milliseconds quarantine)
    : m_callTimeout(callTimeout), m_quarantine(quarantine) {}

bool AtspiStallGuard::isTimeout(std::chrono::nanoseconds elapsed) const {
    // Timers of the bus library fire a little early or late; most of the timeout is enough.
    return elapsed * 10 >= m_callTimeout * 9;
}

void AtspiStallGuard::markStalled(const QString& application, Clock::time_point now) {
    m_stalledUntil.insert(application, now + m_quarantine);
}

bool AtspiStallGuard::isStalled(const QString& application, Clock::time_point now) const {
    const auto until = m_stalledUntil.constFind(application);
    return until != m_stalledUntil.cend() && now < *until;
}

} // namespace vantrel
