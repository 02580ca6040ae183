#include "SimTestSupport.h"

#include "platform/sim/SimPainter.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using test::awaitResult;

ShareableContent contentOf(SimDesktop& desktop, bool excludeDesktop, bool onScreenOnly) {
    auto result =
        awaitResult(desktop.screenCapture().shareableContent(excludeDesktop, onScreenOnly));
    if (auto* error = std::get_if<PlatformError>(&result)) {
        ADD_FAILURE() << error->description.toStdString();
        return {};
    }
    return std::get<ShareableContent>(result);
}

TEST(SimScreenCapture, DisplaysAreConvertedToTopLeftSpace) {
    // Left of the menu-bar screen, and above it.
    auto desktop = test::desktopFromJson(R"({"screens": [
        {"frame": [0, 0, 1440, 900], "number": 1},
        {"frame": [-1920, -180, 1920, 1080], "number": 2},
        {"frame": [0, 900, 1280, 800], "number": null}]})");
    const auto displays = contentOf(*desktop, false, true).displays;
    ASSERT_EQ(displays.size(), 3);
    EXPECT_EQ(displays[0].displayID, 1u);
    EXPECT_EQ(displays[0].frame, QRectF(0, 0, 1440, 900));
    EXPECT_EQ(displays[1].displayID, 2u);
    EXPECT_EQ(displays[1].frame, QRectF(-1920, 0, 1920, 1080));
    EXPECT_EQ(displays[1].width, 1920);
    EXPECT_EQ(displays[1].height, 1080);
    EXPECT_EQ(displays[2].displayID, 3u) << "a screen without a number keeps its position";
    EXPECT_EQ(displays[2].frame, QRectF(0, -800, 1280, 800));
}

const char* const windowScene = R"({
    "screens": [{"frame": [0, 0, 1000, 800], "scale": 2}],
    "apps": [{"pid": 10, "name": "Named", "bundleId": "com.example.named"},
             {"pid": 20, "name": "Anonymous", "bundleId": null}],
    "self": {"pid": 99},
    "bundleIdentifier": "com.example.self",
    "windows": [
      {"id": 1, "pid": 10, "title": "Front", "bounds": [100, 100, 300, 200]},
      {"id": 2, "pid": 20, "bounds": [200, 150, 400, 300], "layer": 3},
      {"id": 3, "pid": 10, "title": "Hidden", "bounds": [0, 0, 50, 50], "onScreen": false},
      {"id": 4, "pid": 77, "title": "Stranger", "bounds": [700, 500, 200, 200]},
      {"id": 5, "pid": 99, "title": "Ours", "bounds": [0, 600, 100, 100]},
      {"id": 6, "pid": 10, "title": "Desktop", "bounds": [0, 0, 600, 500], "layer": -2147483603,
       "desktop": true}
    ]})";

TEST(SimScreenCapture, WindowsCarryTheirFieldsAndOwners) {
    auto desktop = test::desktopFromJson(windowScene);
    const auto windows = contentOf(*desktop, false, true).windows;
    QList<quint32> ids;
    for (const auto& window : windows)
        ids.append(window.windowID);
    EXPECT_EQ(ids, (QList<quint32>{1, 2, 4, 5, 6}));
    EXPECT_EQ(windows[0].frame, QRectF(100, 100, 300, 200));
    EXPECT_EQ(windows[0].title, "Front");
    EXPECT_EQ(windows[0].owningApplication->bundleIdentifier, "com.example.named");
    EXPECT_EQ(windows[1].title, std::nullopt);
    EXPECT_EQ(windows[1].windowLayer, 3);
    ASSERT_TRUE(windows[1].owningApplication) << "an owner without a bundle id is still an owner";
    EXPECT_EQ(windows[1].owningApplication->bundleIdentifier, std::nullopt);
    EXPECT_EQ(windows[2].owningApplication, std::nullopt) << "pid 77 runs no known application";
    EXPECT_EQ(windows[3].owningApplication->bundleIdentifier, "com.example.self");

    const auto all = contentOf(*desktop, true, false).windows;
    ASSERT_EQ(all.size(), 5) << "off-screen windows in, desktop windows out";
    EXPECT_EQ(all[2].windowID, 3u);
    EXPECT_FALSE(all[2].isOnScreen);
}

TEST(SimScreenCapture, RefusedWithoutPermissionOrWhenTold) {
    auto desktop = test::desktopFromJson(windowScene);
    auto& capture = desktop->screenCapture();
    desktop->setScreenRecordingGranted(false);
    EXPECT_FALSE(capture.preflightScreenCaptureAccess());
    EXPECT_FALSE(capture.requestScreenCaptureAccess());
    EXPECT_EQ(capture.accessRequestCount(), 1);
    const PlatformError declined{"SCStreamErrorDomain", -3801,
                                 "The user declined TCCs for application, window, display capture"};
    auto content = awaitResult(capture.shareableContent(false, true));
    ASSERT_TRUE(std::holds_alternative<PlatformError>(content));
    EXPECT_EQ(std::get<PlatformError>(content), declined);
    auto image = awaitResult(capture.captureImage(WindowFilter{1}, {300, 200}));
    ASSERT_TRUE(std::holds_alternative<PlatformError>(image));
    EXPECT_EQ(std::get<PlatformError>(image), declined);

    desktop->setScreenRecordingGranted(true);
    const PlatformError broken{"SCStreamErrorDomain", -3811, "internal"};
    desktop->setShareableContentError(broken);
    desktop->setCaptureImageError(broken);
    EXPECT_EQ(std::get<PlatformError>(awaitResult(capture.shareableContent(false, true))), broken);
    EXPECT_EQ(std::get<PlatformError>(awaitResult(capture.captureImage(WindowFilter{1}, {9, 9}))),
              broken);
    EXPECT_EQ(capture.shareableContentCount(), 2);
    EXPECT_EQ(capture.captureRequests().size(), 2);
}

struct ErrorCase {
    const char* name;
    ContentFilter filter;
    StreamConfiguration configuration;
    int code;
};

class SimCaptureErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(SimCaptureErrors, BadRequestsThrowTheStreamError) {
    auto desktop = test::desktopFromJson(windowScene);
    auto result = awaitResult(
        desktop->screenCapture().captureImage(GetParam().filter, GetParam().configuration));
    ASSERT_TRUE(std::holds_alternative<PlatformError>(result));
    EXPECT_EQ(std::get<PlatformError>(result).code, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Sim, SimCaptureErrors,
    ::testing::Values(ErrorCase{"UnknownDisplay", DisplayFilter{8, {}}, {10, 10}, -3815},
                      ErrorCase{"UnknownWindow", WindowFilter{42}, {10, 10}, -3815},
                      ErrorCase{"ZeroWidth", DisplayFilter{1, {}}, {0, 10}, -3812},
                      ErrorCase{"NegativeHeight", WindowFilter{1}, {10, -1}, -3812}),
    [](const auto& info) { return std::string(info.param.name); });

QImage captured(SimDesktop& desktop, ContentFilter filter, int width, int height) {
    auto result = awaitResult(desktop.screenCapture().captureImage(filter, {width, height}));
    if (auto* error = std::get_if<PlatformError>(&result)) {
        ADD_FAILURE() << error->description.toStdString();
        return {};
    }
    return std::get<QImage>(result);
}

QColor windowColor(SimDesktop& desktop, quint32 id) {
    return SimPainter::windowColor(*desktop.scene().window(id));
}

TEST(SimScreenCapture, PicturesHaveExactlyTheConfiguredSize) {
    auto desktop = test::desktopFromJson(windowScene);
    EXPECT_EQ(captured(*desktop, DisplayFilter{1, {}}, 2000, 1600).size(), QSize(2000, 1600));
    EXPECT_EQ(captured(*desktop, DisplayFilter{1, {}}, 333, 77).size(), QSize(333, 77));
    EXPECT_EQ(captured(*desktop, WindowFilter{1}, 300, 200).size(), QSize(300, 200));
    EXPECT_EQ(captured(*desktop, WindowFilter{3}, 1, 1).size(), QSize(1, 1));
}

// Window 1 covers window 2 around (350, 250) in points, which is (700, 500) at scale 2.
TEST(SimScreenCapture, DisplayPicturesShowWindowsFrontToBackLessTheExcluded) {
    auto desktop = test::desktopFromJson(windowScene);
    const QPoint overlap(700, 500);
    const QPoint desktopOnly(1900, 100);
    ASSERT_NE(windowColor(*desktop, 1), windowColor(*desktop, 2));

    const QImage full = captured(*desktop, DisplayFilter{1, {}}, 2000, 1600);
    EXPECT_EQ(full.pixelColor(overlap), windowColor(*desktop, 1));
    EXPECT_EQ(full.pixelColor(desktopOnly), SimPainter::desktopColor());

    const QImage lessFront = captured(*desktop, DisplayFilter{1, {1}}, 2000, 1600);
    EXPECT_EQ(lessFront.pixelColor(overlap), windowColor(*desktop, 2));

    const QImage lessBoth = captured(*desktop, DisplayFilter{1, {1, 2}}, 2000, 1600);
    EXPECT_EQ(lessBoth.pixelColor(overlap), windowColor(*desktop, 6)) << "the desktop window";
}

TEST(SimScreenCapture, WindowPicturesShowTheWindowAloneEvenWhenCovered) {
    auto desktop = test::desktopFromJson(windowScene);
    // Window 2's own point (350, 250) lies under window 1 on the display.
    const QImage image = captured(*desktop, WindowFilter{2}, 800, 600);
    EXPECT_EQ(image.pixelColor(300, 200), windowColor(*desktop, 2));
}

TEST(SimScreenCapture, TitleBarsAndElementsArePainted) {
    auto desktop = test::desktopFromFile("demo.json");
    const QImage image = captured(*desktop, WindowFilter{11}, 1040, 700);
    const QColor body = windowColor(*desktop, 11);
    EXPECT_NE(image.pixelColor(520, 10), body) << "title bar";
    // The left edge of the Send button's outline, at (180, 100) on screen.
    EXPECT_NE(image.pixelColor(20, 50), body);
    EXPECT_EQ(image.pixelColor(5, 620), body) << "inside the message list, away from any text";
}

} // namespace
} // namespace vantrel
