#include "SimTestSupport.h"

#include "platform/sim/SimPainter.h"

#include <gtest/gtest.h>

#include <functional>

namespace vantrel {
namespace {

QImage captured(SimDesktop& desktop, ContentFilter filter, int width, int height) {
    const auto result =
        test::awaitResult(desktop.screenCapture().captureImage(filter, {width, height}));
    const QImage* image = std::get_if<QImage>(&result);
    EXPECT_TRUE(image && image->size() == QSize(width, height)) << "exactly the configured size";
    return image ? *image : QImage();
}

QColor windowColor(SimDesktop& desktop, quint32 id) {
    return SimPainter::windowColor(*desktop.scene().window(id));
}

// How many pixels of the area match.
int pixelsWhere(const QImage& image, QRect area, const std::function<bool(QRgb)>& matches) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += matches(image.pixel(x, y));
    return count;
}

// Screenshots leave out the windows they exclude (our own overlay and toast), and a window's own
// picture shows it even where others cover it. In pixels at scale 2: window 1 covers window 2 at
// (700, 500); off-screen window 3 would cover the desktop window at (50, 70).
TEST(SimScreenCapture, PicturesShowWindowsFrontToBackLessTheExcluded) {
    auto desktop = test::desktopFromJson(test::windowScene);
    ASSERT_NE(windowColor(*desktop, 1), windowColor(*desktop, 2));
    ASSERT_NE(windowColor(*desktop, 3), windowColor(*desktop, 6));
    const QImage full = captured(*desktop, DisplayFilter{1, {}}, 2000, 1600);
    EXPECT_EQ(full.pixelColor(700, 500), windowColor(*desktop, 1));
    EXPECT_EQ(full.pixelColor(50, 70), windowColor(*desktop, 6));
    EXPECT_EQ(full.pixelColor(1900, 100), SimPainter::desktopColor());
    const QImage lessFront = captured(*desktop, DisplayFilter{1, {1}}, 2000, 1600);
    EXPECT_EQ(lessFront.pixelColor(700, 500), windowColor(*desktop, 2));
    // Titles are written on the bars: centred in an ordinary window's title bar, along the
    // middle of a window on another layer.
    const auto written = [](const QImage& picture, QRect area, QColor ground) {
        return pixelsWhere(picture, area, [&](QRgb pixel) { return pixel != ground.rgb(); }) > 0;
    };
    EXPECT_TRUE(written(full, QRect(360, 204, 400, 48), windowColor(*desktop, 1).darker(112)));
    EXPECT_TRUE(written(lessFront, QRect(416, 570, 300, 60), windowColor(*desktop, 2)));
    const QImage lessBoth = captured(*desktop, DisplayFilter{1, {1, 2}}, 1000, 800);
    EXPECT_EQ(lessBoth.pixelColor(350, 250), windowColor(*desktop, 6)) << "the desktop window";
    EXPECT_EQ(captured(*desktop, WindowFilter{2}, 800, 600).pixelColor(300, 200),
              windowColor(*desktop, 2));
    // Where nothing covers it, a window's picture is what the display shows of it, scaled alike.
    EXPECT_TRUE(captured(*desktop, WindowFilter{1}, 600, 400) ==
                captured(*desktop, DisplayFilter{1, {2}}, 2000, 1600).copy(200, 200, 600, 400));
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
    const auto darkPixels = [&image](QRect area) {
        return pixelsWhere(image, area, [](QRgb pixel) { return qGray(pixel) < 100; });
    };
    EXPECT_EQ(darkPixels(QRect(2, 2, 60, 26)), 0) << "the title bar's left end";
    EXPECT_EQ(darkPixels(QRect(12, 32, 76, 26)), 0) << "the group with empty names";
    EXPECT_GT(darkPixels(QRect(12, 62, 76, 26)), 0) << "inside the leaf";
}

} // namespace
} // namespace vantrel
