#include "SystemClock.h"

#include <QCoro/QCoroTimer>

#include <thread>

namespace vantrel {

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTimeUtc();
}

QCoro::Task<> SystemClock::sleep(std::chrono::milliseconds duration) {
    co_await QCoro::sleepFor(duration);
}

void SystemClock::sleepBlocking(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

} // namespace vantrel
