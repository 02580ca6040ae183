#include "SimTestSupport.h"

#include "platform/sim/SimPainter.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using test::awaitResult;

template <class T> T valueOf(std::variant<T, PlatformError> result) {
    if (auto* error = std::get_if<PlatformError>(&result)) {
        ADD_FAILURE() << error->description.toStdString();
        return {};
    }
    return std::get<T>(std::move(result));
}

template <class T> PlatformError errorOf(std::variant<T, PlatformError> result) {
    const auto* error = std::get_if<PlatformError>(&result);
    return error ? *error : PlatformError{"(no error)", 0, {}};
}

QImage captured(SimDesktop& desktop, ContentFilter filter, int width, int height) {
    const QImage image =
        valueOf(awaitResult(desktop.screenCapture().captureImage(filter, {width, height})));
    EXPECT_EQ(image.size(), QSize(width, height)) << "exactly the configured size";
    return image;
}

QColor windowColor(SimDesktop& desktop, quint32 id) {
    return SimPainter::windowColor(*desktop.scene().window(id));
}

QStringList describe(const ShareableContent& content) {
    QStringList lines;
    for (const ShareableDisplay& display : content.displays) {
        lines << QStringLiteral("display %1 %2 %3x%4")
                     .arg(display.displayID)
                     .arg(test::rectText(display.frame))
                     .arg(display.width)
                     .arg(display.height);
    }
    for (const ShareableWindow& window : content.windows) {
        const auto& owner = window.owningApplication;
        lines << QStringLiteral("window %1 %2 %3 layer %4 %5 %6")
                     .arg(window.windowID)
                     .arg(window.title.value_or("-"), test::rectText(window.frame))
                     .arg(window.windowLayer)
                     .arg(window.isOnScreen ? "on" : "off",
                          owner ? owner->bundleIdentifier.value_or("no bundle") : "no owner");
    }
    return lines;
}

TEST(SimScreenCapture, ShareableContentInTopLeftSpaceAndListOrder) {
    auto desktop = test::desktopFromJson(test::windowScene);
    auto& capture = desktop->screenCapture();
    EXPECT_EQ(
        describe(valueOf(awaitResult(capture.shareableContent(false, true)))),
        (QStringList{"display 1 0,0 1000x800 1000x800", "display 7 -1920,-100 1920x1080 1920x1080",
                     "display 3 0,-800 1280x800 1280x800",
                     "window 1 Front 100,100 300x200 layer 0 on com.example.named",
                     "window 2 - 200,150 400x300 layer 3 on no bundle",
                     "window 4 Stranger 700,500 200x200 layer 0 on no owner",
                     "window 5 Ours 0,600 100x100 layer 0 on com.example.self",
                     "window 6 - 0,0 600x500 layer -2147483603 on com.example.named"}));
    // Off-screen windows in, desktop windows out.
    const QStringList all = describe(valueOf(awaitResult(capture.shareableContent(true, false))));
    ASSERT_EQ(all.size(), 8);
    EXPECT_EQ(all[5], "window 3 Hidden 0,0 50x50 layer 0 off com.example.named");
}

TEST(SimScreenCapture, ContentIsRefusedWithoutPermissionOrWhenTold) {
    auto desktop = test::desktopFromJson(test::windowScene);
    auto& capture = desktop->screenCapture();
    desktop->setScreenRecordingGranted(false);
    EXPECT_EQ(errorOf(awaitResult(capture.shareableContent(false, true))),
              (PlatformError{"SCStreamErrorDomain", -3801,
                             "The user declined TCCs for application, window, display capture"}));
    desktop->setScreenRecordingGranted(true);
    const PlatformError broken{"SCStreamErrorDomain", -3811, "internal"};
    desktop->setShareableContentError(broken);
    desktop->setCaptureImageError(broken);
    EXPECT_EQ(errorOf(awaitResult(capture.shareableContent(false, true))), broken);
    EXPECT_EQ(errorOf(awaitResult(capture.captureImage(WindowFilter{1}, {9, 9}))), broken);
}

// Permission first, then the size, then the source.
TEST(SimScreenCapture, BadCapturesThrowTheStreamErrorInOrder) {
    auto desktop = test::desktopFromJson(test::windowScene);
    const std::tuple<bool, ContentFilter, StreamConfiguration, int> cases[] = {
        {false, WindowFilter{42}, {0, 10}, -3801},
        {true, DisplayFilter{8, {}}, {10, 0}, -3812},
        {true, WindowFilter{1}, {-1, 10}, -3812},
        {true, DisplayFilter{8, {}}, {10, 10}, -3815},
        {true, WindowFilter{42}, {10, 10}, -3815}};
    for (const auto& [granted, filter, configuration, code] : cases) {
        desktop->setScreenRecordingGranted(granted);
        EXPECT_EQ(
            errorOf(awaitResult(desktop->screenCapture().captureImage(filter, configuration))).code,
            code)
            << configuration.width << "x" << configuration.height;
    }
}

// In pixels at scale 2: window 1 covers window 2 at (700, 500); off-screen window 3 would cover the
// desktop window at (50, 70); only the desktop background shows at (1900, 100).
TEST(SimScreenCapture, DisplayPicturesShowWindowsFrontToBackLessTheExcluded) {
    auto desktop = test::desktopFromJson(test::windowScene);
    ASSERT_NE(windowColor(*desktop, 1), windowColor(*desktop, 2));
    ASSERT_NE(windowColor(*desktop, 3), windowColor(*desktop, 6));
    const QImage full = captured(*desktop, DisplayFilter{1, {}}, 2000, 1600);
    EXPECT_EQ(full.pixelColor(700, 500), windowColor(*desktop, 1));
    EXPECT_EQ(full.pixelColor(50, 70), windowColor(*desktop, 6));
    EXPECT_EQ(full.pixelColor(1900, 100), SimPainter::desktopColor());
    const QImage lessFront = captured(*desktop, DisplayFilter{1, {1}}, 2000, 1600);
    EXPECT_EQ(lessFront.pixelColor(700, 500), windowColor(*desktop, 2));
    const QImage lessBoth = captured(*desktop, DisplayFilter{1, {1, 2}}, 1000, 800);
    EXPECT_EQ(lessBoth.pixelColor(350, 250), windowColor(*desktop, 6)) << "the desktop window";
    captured(*desktop, DisplayFilter{7, {}}, 333, 77);
}

TEST(SimScreenCapture, WindowPicturesShowTheWindowAloneEvenWhenCovered) {
    auto desktop = test::desktopFromJson(test::windowScene);
    // Window 2's own point (350, 250) lies under window 1 on the display.
    EXPECT_EQ(captured(*desktop, WindowFilter{2}, 800, 600).pixelColor(300, 200),
              windowColor(*desktop, 2));
    captured(*desktop, WindowFilter{3}, 1, 1);
}

// An element reaching past its window is cut at the window's edge.
TEST(SimScreenCapture, ElementsAreClippedToTheirWindow) {
    auto desktop = test::desktopFromJson(R"({"screens": [{"frame": [0, 0, 400, 300]}],
        "windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": {
          "frame": [0, 0, 100, 100], "children": [{"frame": [50, 50, 200, 200]}]}}]})");
    const QImage image = captured(*desktop, DisplayFilter{1, {}}, 400, 300);
    EXPECT_EQ(image.pixelColor(60, 50), SimPainter::outlineColor()) << "inside the window";
    EXPECT_EQ(image.pixelColor(150, 50), SimPainter::desktopColor()) << "past its edge";
}

// Text shows as dark pixels whatever the font. A leaf is labelled; a window's root, a container on
// its parent's frame and one with only empty names are not.
TEST(SimScreenCapture, LabelsOnlyLeavesAndNamedContainers) {
    auto desktop = test::desktopFromJson(test::sceneWithAx(R"({"role": "AXWindow",
        "frame": [0, 0, 100, 100], "children": [{"role": "AXGroup", "title": "Same",
          "frame": [0, 0, 100, 100], "children": [{"role": "AXGroup", "title": {"attributed": ""},
            "description": "", "frame": [10, 30, 80, 60],
            "children": [{"title": "Leaf", "frame": [10, 60, 80, 30]}]}]}]})"));
    const QImage image = captured(*desktop, WindowFilter{1}, 100, 100);
    const auto darkPixels = [&](QRect area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += qGray(image.pixel(x, y)) < 100;
        return count;
    };
    EXPECT_EQ(darkPixels(QRect(2, 2, 60, 26)), 0) << "the title bar's left end";
    EXPECT_EQ(darkPixels(QRect(12, 32, 76, 26)), 0) << "the group with empty names";
    EXPECT_GT(darkPixels(QRect(12, 62, 76, 26)), 0) << "inside the leaf";
}

TEST(SimScreenCapture, TitleBarsAndElementsArePainted) {
    auto desktop = test::desktopFromFile("demo.json");
    const QImage image = captured(*desktop, WindowFilter{11}, 1040, 700);
    const QColor body = windowColor(*desktop, 11);
    EXPECT_NE(image.pixelColor(520, 10), body) << "title bar";
    // The left edge of the Send button's outline, at (180, 100) on screen.
    EXPECT_EQ(image.pixelColor(20, 50), SimPainter::outlineColor());
    EXPECT_EQ(image.pixelColor(1, 620), body) << "inside the one-pixel edge, away from any text";
}

} // namespace
} // namespace vantrel
