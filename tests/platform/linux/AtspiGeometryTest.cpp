#include "platform/linux/AtspiGeometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace vantrel {
namespace {

constexpr int minInt = std::numeric_limits<int>::min();

struct FrameCase {
    const char* name;
    QRect rootPixels;
    bool showing;
    std::optional<QRectF> expected;
};

class AtspiGeometryTest : public testing::TestWithParam<FrameCase> {};

TEST_P(AtspiGeometryTest, TurnsExtentsIntoAFrameOnlyWhenTheElementIsOnScreen) {
    // A second screen left of the primary one and a desktop scale of 2.
    const DesktopSpace space{QPointF(1280, 0), 2.0};
    const FrameCase& c = GetParam();
    EXPECT_EQ(AtspiGeometry::frame(c.rootPixels, c.showing, space), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AtspiGeometryTest,
    testing::Values(
        FrameCase{"on the primary screen", QRect(1300, 40, 200, 60), true, QRectF(10, 20, 100, 30)},
        FrameCase{"left of the primary screen", QRect(0, 0, 20, 20), true, QRectF(-640, 0, 10, 10)},
        FrameCase{"empty but placed", QRect(1280, 0, 0, 0), true, QRectF(0, 0, 0, 0)},
        FrameCase{"scrolled out", QRect(minInt, minInt, 200, 60), true, std::nullopt},
        FrameCase{"scrolled out sideways", QRect(minInt, 40, 200, 60), true, std::nullopt},
        FrameCase{"not showing", QRect(1300, 40, 200, 60), false, std::nullopt},
        FrameCase{"negative size", QRect(1300, 40, -1, -1), true, std::nullopt}));

} // namespace
} // namespace vantrel
