#include "platform/SystemClock.h"
#include "platform/VirtualClock.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace vantrel;
using namespace std::chrono_literals;

namespace {

QCoro::Task<> sleepThenMark(Clock& clock, std::stop_token stop, bool& woke) {
    co_await clock.sleep(1h, std::move(stop));
    woke = true;
}

// A stop must end the sleep inside request_stop(): at exit no timer or advance() comes to do it.
TEST(ClockStop, AStopRequestEndsASleepAtOnce) {
    const struct {
        const char* name;
        std::function<std::unique_ptr<Clock>()> make;
    } clocks[] = {
        {"virtual", [] { return std::make_unique<VirtualClock>(); }},
        {"system", [] { return std::make_unique<SystemClock>(); }},
    };
    for (const auto& testCase : clocks) {
        SCOPED_TRACE(testCase.name);
        const auto clock = testCase.make();
        std::stop_source stopLater;
        bool woke = false;
        auto task = sleepThenMark(*clock, stopLater.get_token(), woke);
        EXPECT_FALSE(woke);
        stopLater.request_stop();
        EXPECT_TRUE(woke);

        std::stop_source stopped;
        stopped.request_stop();
        bool wokeAtOnce = false;
        auto done = sleepThenMark(*clock, stopped.get_token(), wokeAtOnce);
        EXPECT_TRUE(wokeAtOnce);
    }
}

TEST(ClockStop, AStoppedVirtualSleepLeavesTheOthersAndTheTimeAlone) {
    VirtualClock clock;
    std::stop_source first;
    bool firstWoke = false;
    bool secondWoke = false;
    auto a = sleepThenMark(clock, first.get_token(), firstWoke);
    auto b = sleepThenMark(clock, {}, secondWoke);
    first.request_stop();
    EXPECT_TRUE(firstWoke);
    EXPECT_FALSE(secondWoke);
    EXPECT_EQ(clock.pendingSleepers(), 1);
    EXPECT_EQ(clock.elapsed(), 0ms);
    clock.advance(1h);
    EXPECT_TRUE(secondWoke);
}

} // namespace
