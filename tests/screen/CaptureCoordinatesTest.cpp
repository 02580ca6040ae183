#include "screen/CaptureCoordinates.h"
#include "platform/sim/SimScreens.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

// Screens at these bottom-left frames, the first the main one.
Scene screensAt(const QList<QRectF>& frames) {
    Scene scene;
    for (const QRectF& frame : frames)
        scene.screens.append(SceneScreen{frame, frame, 2.0, 0.0, std::nullopt, 0});
    return scene;
}

const QRectF menuBar(0, 0, 1440, 900), above(0, 900, 1440, 900), left(-1280, 100, 1280, 600);

} // namespace

// Bottom-left to top-left space flips around the first screen's top edge, whatever the others are.
TEST(CaptureCoordinates, ConvertAroundTheFirstScreensTopEdge) {
    const std::tuple<const char*, QList<QRectF>, QRectF, QRectF> cases[] = {
        {"menu-bar screen", {menuBar}, {100, 700, 200, 100}, {100, 100, 200, 100}},
        {"screen above the first", {menuBar, above}, {0, 900, 300, 200}, {0, -200, 300, 200}},
        {"first off the origin", {left, menuBar}, {-1000, 500, 400, 100}, {-1000, 100, 400, 100}},
        {"no screens", {}, {100, 700, 200, 100}, {100, 700, 200, 100}},
    };
    for (const auto& [name, frames, appKit, topLeft] : cases) {
        SCOPED_TRACE(name);
        const Scene scene = screensAt(frames);
        const SimScreens screens(scene);
        EXPECT_EQ(CaptureCoordinates::topLeftRect(screens, appKit), topLeft);
        EXPECT_EQ(CaptureCoordinates::topLeftPoint(screens, appKit.topLeft()),
                  frames.isEmpty() ? appKit.topLeft() : topLeft.bottomLeft());
    }
    // A rectangle dragged upwards is standardised first.
    const Scene scene = screensAt({menuBar});
    EXPECT_EQ(CaptureCoordinates::topLeftRect(SimScreens(scene), {100, 800, 200, -100}),
              QRectF(100, 100, 200, 100));
}
