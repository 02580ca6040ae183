#include "SimTestSupport.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(SimWindowServer, OnScreenWindowsFrontToBack) {
    auto desktop = test::desktopFromFile("demo.json");
    const auto entries = desktop->windowServer().onScreenWindows();
    ASSERT_TRUE(entries);
    QList<qint64> numbers;
    for (const auto& entry : *entries)
        numbers.append(entry.number.value_or(-1));
    EXPECT_EQ(numbers, (QList<qint64>{120, 11, 12, 13}))
        << "the off-screen Drafts window is left out";
    const WindowListEntry& mail = (*entries)[1];
    EXPECT_EQ(mail.layer, 0);
    EXPECT_EQ(mail.ownerPid, 501);
    EXPECT_EQ(mail.bounds, QRectF(160, 60, 1040, 700));
    EXPECT_EQ(mail.name, QStringLiteral("Inbox — Postbox"));
    EXPECT_EQ((*entries)[0].layer, 24);

    desktop->windowServer().setWindowListAvailable(false);
    EXPECT_FALSE(desktop->windowServer().onScreenWindows());
}

TEST(SimWindowServer, DesktopWindowsAndUntitledWindows) {
    auto desktop = test::desktopFromJson(R"({"windows": [
        {"id": 1, "pid": 5, "bounds": [0, 0, 9, 9], "desktop": true},
        {"id": 2, "pid": 5, "bounds": [0, 0, 9, 9]}]})");
    const auto entries = *desktop->windowServer().onScreenWindows();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].number, 2);
    EXPECT_EQ(entries[0].name, std::nullopt);
}

TEST(SimWindowServer, NamesAndTheFrontmostApplication) {
    auto desktop = test::desktopFromFile("no-ax.json");
    auto& server = desktop->windowServer();
    EXPECT_EQ(server.applicationName(802), QStringLiteral("Reader"));
    EXPECT_EQ(server.applicationName(803), std::nullopt) << "listed with a null name";
    EXPECT_EQ(server.applicationName(4), std::nullopt) << "not running";
    EXPECT_EQ(server.applicationName(server.ownPid()), QStringLiteral("Vantrel"));
    EXPECT_EQ(server.ownPid(), 1000);

    auto front = server.frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->pid, 801);
    EXPECT_EQ(front->bundleIdentifier, QStringLiteral("com.example.game"));
    EXPECT_EQ(front->localizedName, QStringLiteral("Canvas Game"));

    desktop->setFrontmost(server.ownPid());
    front = server.frontmostApplication();
    EXPECT_EQ(front->bundleIdentifier, QStringLiteral("com.vantrel.Vantrel"));
    EXPECT_EQ(front->localizedName, QStringLiteral("Vantrel"));

    desktop->setFrontmost(std::nullopt);
    EXPECT_FALSE(server.frontmostApplication());
}

TEST(SimScreens, ScreensInOrderWithTheFirstAsMain) {
    auto desktop = test::desktopFromFile("two-screens.json");
    const auto screens = desktop->screens().screens();
    ASSERT_EQ(screens.size(), 2);
    EXPECT_EQ(screens[0].frame, QRectF(0, 0, 1440, 900));
    EXPECT_EQ(screens[0].visibleFrame, QRectF(0, 0, 1440, 875));
    EXPECT_EQ(screens[0].backingScale, 2.0);
    EXPECT_EQ(screens[1].frame, QRectF(-1920, -180, 1920, 1080));
    EXPECT_EQ(screens[1].number, 2u);
    EXPECT_EQ(desktop->screens().mainScreen()->number, 1u);
    EXPECT_EQ(desktop->screens().mouseLocation(), QPointF(-960, 400));

    auto empty = test::desktopFromFile("empty.json");
    EXPECT_TRUE(empty->screens().screens().isEmpty());
    EXPECT_FALSE(empty->screens().mainScreen());
}

TEST(SimDesktop, PlatformSpeaksMacOSWithTheSceneIdentity) {
    auto desktop =
        test::desktopFromJson(R"({"bundleName": null, "bundleIdentifier": "org.example.x"})");
    const Platform platform = desktop->platform();
    EXPECT_EQ(platform.vocabulary.copyHotKey, QStringLiteral("⌃⌥C"));
    EXPECT_EQ(platform.vocabulary.accessibilitySnapshotName,
              QStringLiteral("macOS accessibility snapshot"));
    EXPECT_EQ(platform.identity.bundleName, std::nullopt);
    EXPECT_EQ(platform.identity.bundleIdentifier, QStringLiteral("org.example.x"));
    EXPECT_EQ(&platform.accessibility, &desktop->accessibility());
    EXPECT_EQ(&platform.pasteboard, &desktop->pasteboard());

    platform.workspace.openURL(QUrl("x-apple.systempreferences:com.apple.preference.security"));
    EXPECT_EQ(desktop->openedURLs(),
              (QList<QUrl>{QUrl("x-apple.systempreferences:com.apple.preference.security")}));
}

TEST(SimInput, HotKeysReachTheHandlerWithTheirId) {
    auto desktop = test::desktopFromFile("empty.json");
    auto& input = desktop->input();
    QList<quint32> pressed;
    EXPECT_TRUE(input.installHandler([&](quint32 id) { pressed.append(id); }));
    EXPECT_TRUE(input.registerHotKey(1, 8, 0x1800));
    EXPECT_TRUE(input.registerHotKey(2, 15, 0x1800));
    EXPECT_FALSE(input.registerHotKey(3, 8, 0x1800)) << "the combination is taken";
    EXPECT_TRUE(desktop->pressHotKey(2));
    EXPECT_TRUE(desktop->pressHotKey(1));
    EXPECT_FALSE(desktop->pressHotKey(3));
    input.unregisterHotKey(2);
    EXPECT_FALSE(desktop->pressHotKey(2));
    input.removeHandler();
    EXPECT_FALSE(desktop->pressHotKey(1));
    EXPECT_EQ(pressed, (QList<quint32>{2, 1}));

    input.setRefusesHotKeys(true);
    EXPECT_FALSE(input.registerHotKey(4, 9, 0x1800));
    input.setRefusesHandler(true);
    EXPECT_FALSE(input.installHandler([](quint32) {}));
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
    EXPECT_EQ(input.monitorCount(), 1);
    input.setRefusesMonitors(true);
    EXPECT_FALSE(input.addGlobalMonitor(MouseMonitor::MouseMoved, [] {}));
}

TEST(SimLoginItem, StartsFromTheSceneAndCanFail) {
    auto desktop = test::desktopFromJson(R"({"loginItem": "requiresApproval"})");
    LoginItemService& item = desktop->loginItem();
    EXPECT_EQ(item.status(), LoginItemService::Status::requiresApproval);
    item.registerItem();
    EXPECT_EQ(item.status(), LoginItemService::Status::enabled);
    const PlatformError denied{"SMAppServiceErrorDomain", 1, "Operation not permitted"};
    desktop->loginItem().setError(denied);
    EXPECT_THROW(item.unregisterItem(), PlatformError);
    EXPECT_EQ(item.status(), LoginItemService::Status::enabled);
    EXPECT_EQ(desktop->loginItem().unregisterCount(), 1);
}

} // namespace
} // namespace vantrel
