#include "platform/linux/AtspiStallGuard.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace std::chrono_literals;

// A call that took nearly the whole limit timed out; only the application that stalled is
// skipped, and only for a while from its latest stall.
TEST(AtspiStallGuard, TellsATimeoutAndQuarantinesOnlyTheStalledApplicationForAWhile) {
    AtspiStallGuard guard(1000ms, 10s);
    EXPECT_FALSE(guard.isTimeout(899ms));
    EXPECT_TRUE(guard.isTimeout(900ms));

    const AtspiStallGuard::Clock::time_point start{};
    guard.markStalled(QStringLiteral(":1.5"), start);
    EXPECT_TRUE(guard.isStalled(QStringLiteral(":1.5"), start + 10s - 1ns));
    EXPECT_FALSE(guard.isStalled(QStringLiteral(":1.6"), start + 1s));
    EXPECT_FALSE(guard.isStalled(QStringLiteral(":1.5"), start + 10s));
    guard.markStalled(QStringLiteral(":1.5"), start + 9s);
    EXPECT_TRUE(guard.isStalled(QStringLiteral(":1.5"), start + 15s));
}

} // namespace
} // namespace vantrel
