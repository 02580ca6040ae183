#include "ui/widgets/ScreenGeometry.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

// Qt's outputs on Wayland count from the compositor's origin, the core's screens from the
// primary monitor's corner, which the helper places; only an exact rectangle is the same output.
TEST(ScreenGeometry, TheOutputShowingAScreenIsTheOneAtExactlyItsPlace) {
    const QList<QRect> sideBySide{QRect(0, 0, 1440, 900), QRect(1440, 0, 1280, 1024)};
    const struct {
        const char* name;
        QRectF screen;
        QPoint coreOrigin;
        QList<QRect> outputs;
        std::optional<qsizetype> expected;
    } cases[] = {
        {"one output", QRectF(0, 0, 1440, 900), QPoint(), {QRect(0, 0, 1440, 900)}, 0},
        {"primary on the right", QRectF(0, 0, 1280, 1024), QPoint(1440, 0), sideBySide, 1},
        {"left of the primary", QRectF(-1440, 0, 1440, 900), QPoint(1440, 0), sideBySide, 0},
        {"origin ignored", QRectF(0, 0, 1280, 1024), QPoint(), sideBySide, std::nullopt},
        {"a pixel apart", QRectF(1, 0, 1440, 900), QPoint(), sideBySide, std::nullopt},
        {"another size", QRectF(0, 0, 1440, 899), QPoint(), sideBySide, std::nullopt},
        {"no outputs", QRectF(0, 0, 1440, 900), QPoint(), {}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScreenGeometry::outputShowing(c.screen, c.coreOrigin, c.outputs), c.expected)
            << c.name;
}

} // namespace
} // namespace vantrel
