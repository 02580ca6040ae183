// Where menu commands capture: the pointer's place outside the menu.
#include "input/PointerTracker.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>

#include <memory>

using namespace vantrel;

// Where the pointer is when tracking starts, then wherever a global mouse event leaves it; once
// stopped, nothing listens any more until it starts again.
TEST(PointerTracker, RemembersTheCursorOfTheLastGlobalMouseEvent) {
    SimDesktop desktop(SceneLoader::fromJson(
        R"({"screens": [{"frame": [0, 0, 1440, 900]}], "mouse": [300, 640]})"));
    const Platform platform = desktop.platform();
    PointerTracker pointer(platform.screens, platform.mouseMonitor);
    int changes = 0;
    QObject::connect(&pointer, &PointerTracker::lastLocationChanged, [&] { ++changes; });
    EXPECT_EQ(pointer.lastLocation(), QPointF(300, 640));
    desktop.moveMouse(QPointF(5, 6)); // nothing listens yet
    pointer.start();
    EXPECT_EQ(pointer.lastLocation(), QPointF(5, 6));
    desktop.moveMouse(QPointF(10, 20));
    EXPECT_EQ(pointer.lastLocation(), QPointF(10, 20));
    desktop.moveMouse(QPointF(10, 20));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(desktop.input().monitorCount(), 1);

    pointer.stop();
    EXPECT_EQ(desktop.input().monitorCount(), 0);
    desktop.moveMouse(QPointF(30, 40));
    EXPECT_EQ(pointer.lastLocation(), QPointF(10, 20));
    // Started again, it listens again.
    pointer.start();
    desktop.moveMouse(QPointF(50, 60));
    EXPECT_EQ(pointer.lastLocation(), QPointF(50, 60));
    pointer.stop();

    // A tracker that goes away stops listening too.
    auto tracker = std::make_unique<PointerTracker>(platform.screens, platform.mouseMonitor);
    tracker->start();
    tracker.reset();
    EXPECT_EQ(desktop.input().monitorCount(), 0);
}
