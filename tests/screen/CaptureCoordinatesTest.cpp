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

} // namespace

// Bottom-left to top-left space flips around the first screen's top edge, whatever the others are.
TEST(CaptureCoordinates, ConvertAroundTheFirstScreensTopEdge) {
    const struct {
        const char* name;
        QList<QRectF> screens;
        QRectF appKit;
        QRectF topLeft;
    } cases[] = {
        {"menu-bar screen", {menuBarScreen}, {100, 700, 200, 100}, {100, 100, 200, 100}},
        {"screen above the first",
         {menuBarScreen, QRectF(0, 900, 1440, 900)},
         {0, 900, 300, 200},
         {0, -200, 300, 200}},
        {"first screen not at the origin",
         {QRectF(-1280, 100, 1280, 600), menuBarScreen},
         {-1000, 500, 400, 100},
         {-1000, 100, 400, 100}},
        {"no screens", {}, {100, 700, 200, 100}, {100, 700, 200, 100}},
    };
    for (const auto& c : cases) {
        const Screens screens(c.screens);
        EXPECT_EQ(CaptureCoordinates::topLeftRect(screens, c.appKit), c.topLeft) << c.name;
        EXPECT_EQ(CaptureCoordinates::topLeftPoint(screens, c.appKit.topLeft()),
                  c.screens.isEmpty() ? c.appKit.topLeft() : c.topLeft.bottomLeft())
            << c.name;
    }
    // A rectangle dragged upwards is standardised first.
    EXPECT_EQ(CaptureCoordinates::topLeftRect(Screens({menuBarScreen}), {100, 800, 200, -100}),
              QRectF(100, 100, 200, 100));
}
