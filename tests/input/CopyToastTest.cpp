#include "input/CopyToast.h"
#include "input/ToastView.h"
#include "platform/VirtualClock.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace std::chrono_literals;

namespace {

// A view that keeps what it was told; a fade-out finishes only when the test says so.
class FakeToastView final : public ToastView {
  public:
    double width = 100;
    QString text;
    std::optional<QRect> geometry;
    std::optional<QSize> size;
    bool visible = false;
    QList<std::function<void()>> pendingFadeOuts;

    double textWidth(const QString&) const override { return width; }
    void setText(const QString& shown) override { text = shown; }
    void setGeometry(const QRect& frame) override { geometry = frame; }
    void resize(const QSize& wanted) override { size = wanted; }
    void fadeIn() override { visible = true; }
    void fadeOut(std::function<void()> finished) override { pendingFadeOuts.append(finished); }
    void orderOut() override { visible = false; }

    void finishFadeOuts() {
        const auto finishing = std::exchange(pendingFadeOuts, {});
        for (const auto& finished : finishing)
            finished();
    }
};

// Two screens side by side in bottom-left space; the second one has a dock at its bottom.
const char* const twoScreens = R"({
  "screens": [
    {"frame": [0, 0, 1440, 900], "visibleFrame": [0, 0, 1440, 875], "number": 1},
    {"frame": [1440, 0, 1920, 1080], "visibleFrame": [1440, 70, 1920, 1010], "number": 2}],
  "mouse": [300, 640]
})";

class CopyToastTest : public ::testing::Test {
  protected:
    SimDesktop desktop{SceneLoader::fromJson(twoScreens)};
    VirtualClock clock;
    FakeToastView view;
    CopyToast toast{view, desktop.screens(), clock};
};

TEST_F(CopyToastTest, WidthIsTheTextPlusPaddingWithinBounds) {
    const struct {
        double textWidth;
        int width;
    } cases[] = {{10, 220},  {172, 220}, {172.5, 221}, {173, 221},
                 {412, 460}, {413, 460}, {2000, 460}};
    for (const auto& c : cases)
        EXPECT_EQ(CopyToast::width(c.textWidth), c.width) << c.textWidth;
}

TEST_F(CopyToastTest, SitsNinetySixPointsAboveTheBottomOfTheScreenUnderTheMouse) {
    const struct {
        const char* name;
        QPointF mouse;
        QRect frame; // top-left space: the first screen's top is y = 0
    } cases[] = {
        {"first screen", {300, 640}, {610, 900 - 96 - 44, 220, 44}},
        // The second screen's visible frame starts 70 up: above its dock.
        {"second screen", {2000, 500}, {2290, 900 - 70 - 96 - 44, 220, 44}},
        {"no screen under the mouse: the main one", {-500, -500}, {610, 900 - 96 - 44, 220, 44}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.moveMouse(c.mouse);
        toast.show("Copied");
        ASSERT_TRUE(view.geometry);
        EXPECT_EQ(*view.geometry, c.frame);
    }
}

TEST_F(CopyToastTest, WithoutScreensOnlyTheSizeIsSet) {
    SimDesktop bare{SceneLoader::fromJson(R"({"screens": []})")};
    CopyToast bareToast{view, bare.screens(), clock};
    view.width = 300;
    bareToast.show("Copied");
    EXPECT_FALSE(view.geometry);
    EXPECT_EQ(view.size, QSize(348, 44));
    EXPECT_TRUE(view.visible);
}

// A new toast restarts the timer, and a fade-out that ends after a newer toast appeared must
// leave the newer one on screen.
TEST_F(CopyToastTest, ANewShowRestartsTheTimerAndOutlivesAnOldFadeOut) {
    toast.show("first");
    clock.advance(1000ms);
    toast.show("second");
    clock.advance(1799ms);
    EXPECT_TRUE(view.pendingFadeOuts.isEmpty());
    clock.advance(1ms);
    ASSERT_EQ(view.pendingFadeOuts.size(), 1);
    toast.show("third");
    view.finishFadeOuts();
    EXPECT_TRUE(view.visible);
    EXPECT_TRUE(toast.isVisible());
    EXPECT_EQ(view.text, "third");

    clock.advance(1800ms);
    view.finishFadeOuts();
    EXPECT_FALSE(view.visible);
    EXPECT_FALSE(toast.isVisible());
}

// A toast that goes away while shown must not fade its view out later.
TEST_F(CopyToastTest, AToastGoneWhileShownLeavesItsViewAlone) {
    auto shortLived = std::make_unique<CopyToast>(view, desktop.screens(), clock);
    shortLived->show("Copied");
    shortLived.reset();
    clock.advance(CopyToast::visibleDuration);
    EXPECT_TRUE(view.pendingFadeOuts.isEmpty());
}

} // namespace
