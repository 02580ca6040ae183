#include "platform/linux/AtspiGeometry.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vantrel;

TEST(AtspiGeometry, TurnsExtentsIntoAFrameOnlyWhenTheElementIsOnScreen) {
    // A second screen left of the primary one and a desktop scale of 2.
    const DesktopSpace space{QPointF(1280, 0), 2.0};
    constexpr int minInt = std::numeric_limits<int>::min();
    const std::tuple<const char*, QRect, bool, std::optional<QRectF>> cases[] = {
        {"on the primary screen", QRect(1300, 40, 200, 60), true, QRectF(10, 20, 100, 30)},
        {"left of the primary screen", QRect(0, 0, 20, 20), true, QRectF(-640, 0, 10, 10)},
        {"empty but placed", QRect(1280, 0, 0, 0), true, QRectF(0, 0, 0, 0)},
        {"scrolled out", QRect(minInt, minInt, 200, 60), true, std::nullopt},
        {"scrolled out sideways", QRect(minInt, 40, 200, 60), true, std::nullopt},
        {"not showing", QRect(1300, 40, 200, 60), false, std::nullopt},
        {"negative size", QRect(1300, 40, -1, -1), true, std::nullopt},
    };
    for (const auto& [name, rootPixels, showing, expected] : cases)
        EXPECT_EQ(AtspiGeometry::frame(rootPixels, showing, space), expected) << name;
}
