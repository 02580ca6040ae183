#include "SimTestSupport.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

// A combination another program holds cannot be had twice, as on the real system; the hotkey
// tests build on that refusal.
TEST(SimInput, AHotKeyTakenOrRefusedIsNotRegistered) {
    auto desktop = test::desktopFromJson("{}");
    SimInput& input = desktop->input();
    EXPECT_TRUE(input.registerHotKey(1, 8, 4));
    EXPECT_FALSE(input.registerHotKey(2, 8, 4)) << "taken";
    EXPECT_TRUE(input.registerHotKey(3, 8, 5)) << "other modifiers";
    input.unregisterHotKey(1);
    EXPECT_TRUE(input.registerHotKey(2, 8, 4)) << "given back";
    input.setRefusesHotKeys(true);
    EXPECT_FALSE(input.registerHotKey(4, 9, 4));
}

} // namespace
} // namespace vantrel
