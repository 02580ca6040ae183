// The drag overlay on a real X server: it covers the screen with the frozen picture dimmed, xdotool
// drags over it, and the area comes back in bottom-left points; Esc cancels.
#include "ui/widgets/AreaSelectionOverlay.h"
#include "platform/linux/LinuxDesktop.h"
#include "platform/linux/X11Compositor.h"
#include "support/TestApplication.h"
#include "support/WaitUntil.h"
#include "support/XcbDesktop.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

constexpr int screenHeight = 900; // the fixture's screen

struct Selection {
    bool done = false;
    std::optional<QRectF> area;
};

QCoro::Task<> watch(RegionSelecting& selecting, Selection& out) {
    out.area = co_await selecting.selectRegion();
    out.done = true;
}

bool xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished() && process.exitCode() == 0;
}

QString number(int value) {
    return QString::number(value);
}

bool isDimmed(std::optional<QColor> seen, QColor original) {
    if (!seen)
        return false;
    const auto near = [](int a, double b) { return std::abs(a - b) <= 3; };
    return near(seen->red(), original.red() * 0.65) &&
           near(seen->green(), original.green() * 0.65) &&
           near(seen->blue(), original.blue() * 0.65);
}

struct OverlayCase {
    const char* name;
    QStringList gesture; // xdotool arguments, with the drag in root pixels
    std::optional<QRectF> area;
};

class AreaSelectionOverlayDesktop : public ::testing::TestWithParam<OverlayCase> {};

TEST_P(AreaSelectionOverlayDesktop, ReturnsTheDraggedAreaOrNone) {
    QString reason;
    const auto desktop = LinuxDesktop::open({}, reason);
    ASSERT_TRUE(desktop) << reason.toStdString();
    const auto connection = XcbConnection::open({}, &reason);
    ASSERT_TRUE(connection) << reason.toStdString();
    ASSERT_FALSE(X11Compositor::isRunning(*connection)) << "the fixture runs no compositor";
    const Platform platform = desktop->platform();
    const TestApplication app = TestApplication::gtk();
    const QPoint paint = app.paintButton().center();
    XcbDesktop x;
    const std::optional<QColor> before = x.pixel(paint);
    ASSERT_TRUE(before);

    Selection selection;
    AreaSelectionOverlay overlay(platform.screens, platform.screenCapture,
                                 AreaSelectionOverlay::Backdrop::FrozenScreens);
    QCoro::Task<> task = watch(overlay, selection);
    ASSERT_TRUE(waitUntil([&] { return isDimmed(x.pixel(paint), *before); }))
        << "the frozen screen is shown dimmed";
    ASSERT_TRUE(xdotool(GetParam().gesture));
    ASSERT_TRUE(waitUntil([&] { return selection.done; }));
    ASSERT_EQ(selection.area.has_value(), GetParam().area.has_value());
    if (selection.area) {
        const QRectF want = *GetParam().area;
        EXPECT_NEAR(selection.area->x(), want.x(), 1);
        EXPECT_NEAR(selection.area->y(), want.y(), 1);
        EXPECT_NEAR(selection.area->width(), want.width(), 1);
        EXPECT_NEAR(selection.area->height(), want.height(), 1);
    }
    EXPECT_TRUE(waitUntil([&] { return x.pixel(paint) == before; })) << "the overlay is gone";
}

INSTANTIATE_TEST_SUITE_P(
    Gestures, AreaSelectionOverlayDesktop,
    ::testing::Values(OverlayCase{"drag",
                                  {"mousemove", number(200), number(150), "mousedown", "1",
                                   "mousemove", number(300), number(250), "mousemove", number(500),
                                   number(400), "mouseup", "1"},
                                  QRectF(200, screenHeight - 400, 300, 250)},
                      OverlayCase{"escape", {"key", "Escape"}, std::nullopt},
                      OverlayCase{
                          "click", {"mousemove", "600", "300", "click", "1"}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vantrel::testing
