#include "platform/VirtualClock.h"
#include "platform/SystemClock.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace std::chrono_literals;

namespace {

// Logs name@milliseconds-since-it-began after each sleep; a zero second sleep is skipped.
QCoro::Task<> sleeper(Clock& clock, QStringList& log, QString name, std::chrono::milliseconds first,
                      std::chrono::milliseconds second = 0ms, std::stop_token stop = {}) {
    const QDateTime start = clock.now();
    co_await clock.sleep(first, stop);
    log << name + "@" + QString::number(start.msecsTo(clock.now()));
    if (second > 0ms) {
        co_await clock.sleep(second, stop);
        log << name + "@" + QString::number(start.msecsTo(clock.now()));
    }
}

TEST(VirtualClock, ResumesSleepersInDeadlineOrderAtTheirOwnTimes) {
    VirtualClock clock;
    QStringList log;
    sleeper(clock, log, "a", 300ms);
    sleeper(clock, log, "b", 100ms, 150ms); // sleeps again from 100 until 250
    sleeper(clock, log, "c", 0ms);          // no wait at all
    EXPECT_EQ(log, QStringList{"c@0"});

    clock.advance(99ms);
    EXPECT_EQ(log, QStringList{"c@0"});
    clock.advance(201ms);
    EXPECT_EQ(log, (QStringList{"c@0", "b@100", "b@250", "a@300"}));
    EXPECT_EQ(clock.elapsed(), 300ms);
    EXPECT_EQ(clock.pendingSleepers(), 0);
}

// A stop must end the sleep inside request_stop(): at exit no timer or advance() comes to do it.
TEST(ClockStop, AStopRequestEndsASleepAtOnce) {
    VirtualClock virtualClock;
    SystemClock systemClock;
    for (Clock* clock : std::initializer_list<Clock*>{&virtualClock, &systemClock}) {
        SCOPED_TRACE(clock == &virtualClock ? "virtual" : "system");
        std::stop_source stopLater, stopped;
        QStringList log;
        auto task = sleeper(*clock, log, "later", 1h, 0ms, stopLater.get_token());
        EXPECT_TRUE(log.isEmpty());
        stopLater.request_stop();
        EXPECT_EQ(log.size(), 1);
        stopped.request_stop();
        auto done = sleeper(*clock, log, "stopped", 1h, 0ms, stopped.get_token());
        EXPECT_EQ(log.size(), 2);
    }
}

TEST(ClockStop, AStoppedVirtualSleepLeavesTheOthersAndTheTimeAlone) {
    VirtualClock clock;
    std::stop_source first;
    QStringList log;
    auto a = sleeper(clock, log, "a", 1h, 0ms, first.get_token());
    auto b = sleeper(clock, log, "b", 1h);
    first.request_stop();
    EXPECT_EQ(log, QStringList{"a@0"});
    EXPECT_EQ(clock.pendingSleepers(), 1);
    clock.advance(1h);
    EXPECT_EQ(log, (QStringList{"a@0", "b@3600000"}));
}

} // namespace
