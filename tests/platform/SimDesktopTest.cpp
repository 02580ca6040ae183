#include "SimTestSupport.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

// The frontmost application as "pid bundle-id name", "-" for a missing part.
QString frontmost(SimWindowServer& server) {
    const auto app = server.frontmostApplication();
    return app ? QStringLiteral("%1 %2 %3")
                     .arg(app->pid)
                     .arg(app->bundleIdentifier.value_or("-"), app->localizedName.value_or("-"))
               : QStringLiteral("none");
}

TEST(SimWindowServer, OnScreenWindowsFrontToBackWithoutDesktopWindows) {
    auto desktop = test::desktopFromJson(test::windowScene);
    const auto entries = desktop->windowServer().onScreenWindows();
    ASSERT_TRUE(entries);
    QStringList lines;
    for (const WindowListEntry& entry : *entries) {
        lines << QStringLiteral("%1 %2 %3 layer %4 pid %5")
                     .arg(entry.number.value_or(-1))
                     .arg(entry.name.value_or("-"), test::rectText(entry.bounds.value()))
                     .arg(entry.layer.value_or(-1))
                     .arg(entry.ownerPid.value_or(-1));
    }
    EXPECT_EQ(lines, (QStringList{"1 Front 100,100 300x200 layer 0 pid 10",
                                  "2 - 200,150 400x300 layer 3 pid 20",
                                  "4 Stranger 700,500 200x200 layer 0 pid 77",
                                  "5 Ours 0,600 100x100 layer 0 pid 99"}));
    desktop->windowServer().setWindowListAvailable(false);
    EXPECT_FALSE(desktop->windowServer().onScreenWindows());
}

TEST(SimWindowServer, NamesAndTheFrontmostApplication) {
    auto desktop = test::desktopFromJson(test::windowScene);
    auto& server = desktop->windowServer();
    EXPECT_EQ(server.ownPid(), 99);
    EXPECT_EQ(server.applicationName(10), QStringLiteral("Named"));
    EXPECT_EQ(server.applicationName(30), std::nullopt) << "listed with a null name";
    EXPECT_EQ(server.applicationName(77), std::nullopt) << "not running";
    EXPECT_EQ(server.applicationName(99), QStringLiteral("Vantrel"));
    EXPECT_EQ(frontmost(server), "10 com.example.named Named");
    desktop->setFrontmost(20);
    EXPECT_EQ(frontmost(server), "20 - Anonymous");
    desktop->setFrontmost(99);
    EXPECT_EQ(frontmost(server), "99 com.example.self Vantrel");
    desktop->setFrontmost(std::nullopt);
    EXPECT_EQ(frontmost(server), "none");
}

TEST(SimScreens, ScreensInOrderWithTheFirstAsMain) {
    auto desktop = test::desktopFromJson(test::windowScene);
    QStringList lines;
    for (const ScreenInfo& screen : desktop->screens().screens()) {
        lines << QStringLiteral("%1 visible %2 scale %3 safe %4 number %5")
                     .arg(test::rectText(screen.frame), test::rectText(screen.visibleFrame))
                     .arg(screen.backingScale)
                     .arg(screen.safeAreaTop)
                     .arg(screen.number ? QString::number(*screen.number) : "none");
    }
    EXPECT_EQ(lines, (QStringList{"0,0 1000x800 visible 0,0 1000x775 scale 2 safe 32 number 1",
                                  "-1920,-180 1920x1080 visible -1920,-180 1920x1080 scale 1 "
                                  "safe 0 number 2",
                                  "0,800 1280x800 visible 0,800 1280x800 scale 1 safe 0 number "
                                  "none"}));
    EXPECT_EQ(desktop->screens().mainScreen()->frame, QRectF(0, 0, 1000, 800));
    EXPECT_EQ(desktop->screens().mouseLocation(), QPointF(-960, 400));
    EXPECT_FALSE(test::desktopFromFile("empty.json")->screens().mainScreen());
}

TEST(SimDesktop, IdentityAndScreenshotsFollowTheScene) {
    auto desktop = test::desktopFromJson(R"({"bundleName": null,
        "bundleIdentifier": "org.example.x", "screens": [{"frame": [0, 0, 101, 51], "scale": 1.5}]})");
    const Platform platform = desktop->platform();
    EXPECT_EQ(platform.identity.bundleName, std::nullopt);
    EXPECT_EQ(platform.identity.bundleIdentifier, QStringLiteral("org.example.x"));
    EXPECT_EQ(desktop->screenshot(0).size(), QSize(151, 76)) << "points times scale, truncated";
}

TEST(SimInput, MouseMonitorsHearOnlyTheirEvents) {
    auto desktop = test::desktopFromFile("empty.json");
    auto& input = desktop->input();
    int moves = 0;
    int clicks = 0;
    const auto moveToken = input.addGlobalMonitor(MouseMonitor::MouseMoved, [&] { ++moves; });
    input.addGlobalMonitor(MouseMonitor::LeftMouseDown | MouseMonitor::RightMouseDown,
                           [&] { ++clicks; });
    desktop->moveMouse(QPointF(12, 34));
    input.postMouseEvent(MouseMonitor::RightMouseDown);
    EXPECT_EQ(desktop->screens().mouseLocation(), QPointF(12, 34));
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(clicks, 1);
    input.removeMonitor(*moveToken);
    desktop->moveMouse(QPointF(1, 1));
    EXPECT_EQ(moves, 1);
}

} // namespace
} // namespace vantrel
