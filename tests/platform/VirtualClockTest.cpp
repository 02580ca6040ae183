#include "platform/VirtualClock.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace std::chrono_literals;

namespace {

QCoro::Task<> sleeper(VirtualClock& clock, QStringList& log, QString name,
                      std::chrono::milliseconds first, std::chrono::milliseconds second) {
    co_await clock.sleep(first);
    log << name + "@" + QString::number(clock.elapsed().count());
    if (second > 0ms) {
        co_await clock.sleep(second);
        log << name + "@" + QString::number(clock.elapsed().count());
    }
}

} // namespace

TEST(VirtualClock, ResumesSleepersInDeadlineOrderAtTheirOwnTimes) {
    VirtualClock clock;
    QStringList log;
    sleeper(clock, log, "a", 300ms, 0ms);
    sleeper(clock, log, "b", 100ms, 150ms); // sleeps again from 100 until 250
    sleeper(clock, log, "c", 0ms, 0ms);     // no wait at all
    EXPECT_EQ(log, QStringList{"c@0"});

    clock.advance(99ms);
    EXPECT_EQ(log, QStringList{"c@0"});
    clock.advance(201ms);
    EXPECT_EQ(log, (QStringList{"c@0", "b@100", "b@250", "a@300"}));
    EXPECT_EQ(clock.elapsed(), 300ms);
    EXPECT_EQ(clock.pendingSleepers(), 0);
}

TEST(VirtualClock, ABlockingSleepMovesTimeWithoutWakingSleepers) {
    VirtualClock clock;
    QStringList log;
    const QDateTime start = clock.now();
    sleeper(clock, log, "a", 100ms, 0ms);
    clock.sleepBlocking(150ms);
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(clock.now(), start.addMSecs(150));
    clock.advance(0ms);
    EXPECT_EQ(log, QStringList{"a@150"});
    EXPECT_EQ(clock.requestedSleeps(), (QList<std::chrono::milliseconds>{100ms, 150ms}));
}
