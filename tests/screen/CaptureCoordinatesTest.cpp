#include "screen/CaptureCoordinates.h"
#include "platform/ScreenList.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

class Screens final : public ScreenList {
  public:
    explicit Screens(QList<QRectF> frames) {
        for (const QRectF& frame : frames)
            m_screens.append({frame, frame, 2.0, 0.0, std::nullopt});
    }
    QList<ScreenInfo> screens() const override { return m_screens; }
    std::optional<ScreenInfo> mainScreen() const override {
        return m_screens.isEmpty() ? std::nullopt : std::optional(m_screens.first());
    }
    QPointF mouseLocation() const override { return {}; }

  private:
    QList<ScreenInfo> m_screens;
};

const QRectF menuBarScreen(0, 0, 1440, 900);

struct RectCase {
    const char* name;
    QList<QRectF> screens;
    QRectF appKit;
    QRectF topLeft;
};

} // namespace

TEST(CaptureCoordinates, GlobalTopYIsTheFirstScreensTopEdgeWhateverTheOthersAre) {
    EXPECT_EQ(CaptureCoordinates::globalTopY(Screens({})), std::nullopt);
    EXPECT_EQ(CaptureCoordinates::globalTopY(Screens({menuBarScreen})), 900.0);
    EXPECT_EQ(CaptureCoordinates::globalTopY(Screens({menuBarScreen, QRectF(1440, 0, 2560, 1440)})),
              900.0);
    EXPECT_EQ(CaptureCoordinates::globalTopY(Screens({QRectF(0, 100, 800, 600), menuBarScreen})),
              700.0);
}

TEST(CaptureCoordinates, PointFlipsAroundTheFirstScreensTopOrPassesThroughWithoutScreens) {
    EXPECT_EQ(CaptureCoordinates::topLeftPoint(Screens({menuBarScreen}), QPointF(100, 800)),
              QPointF(100, 100));
    EXPECT_EQ(CaptureCoordinates::topLeftPoint(Screens({menuBarScreen}), QPointF(-300, 1000)),
              QPointF(-300, -100));
    EXPECT_EQ(CaptureCoordinates::topLeftPoint(Screens({}), QPointF(100, 800)), QPointF(100, 800));
}

TEST(CaptureCoordinates, RectanglesConvertFromTheirTopEdge) {
    const QList<RectCase> cases{
        {"menu-bar screen", {menuBarScreen}, {100, 700, 200, 100}, {100, 100, 200, 100}},
        {"screen above the first",
         {menuBarScreen, QRectF(0, 900, 1440, 900)},
         {0, 900, 300, 200},
         {0, -200, 300, 200}},
        {"screen left of the first",
         {menuBarScreen, QRectF(-1280, 0, 1280, 1024)},
         {-1000, 500, 400, 300},
         {-1000, 100, 400, 300}},
        {"no screens", {}, {100, 700, 200, 100}, {100, 700, 200, 100}},
    };
    for (const RectCase& c : cases) {
        const Screens screens(c.screens);
        const QRectF converted = CaptureCoordinates::topLeftRect(screens, c.appKit);
        EXPECT_EQ(converted, c.topLeft) << c.name;
        EXPECT_EQ(CaptureCoordinates::topLeftRect(screens, converted), c.appKit)
            << c.name << ": converting twice returns the start";
    }
}

TEST(CaptureCoordinates, ARectangleDraggedUpwardsIsStandardisedFirst) {
    const QRectF dragged(100, 800, 200, -100); // from its top-left corner downwards
    EXPECT_EQ(CaptureCoordinates::topLeftRect(Screens({menuBarScreen}), dragged),
              QRectF(100, 100, 200, 100));
}
