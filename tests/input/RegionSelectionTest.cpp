#include "input/RegionSelectionTestSupport.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "ui/widgets/AreaSelectionOverlay.h"

#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

const QRectF mainFrame(0, 0, 1440, 900);
const QRectF rightFrame(1440, 100, 1280, 1024); // bottom-left space: its bottom is 100 up

struct Step {
    enum Kind { Down, Drag, Up, Key } kind;
    QPointF at;
    int screen = 0; // whose window the mouse pressed in
    int key = 0;
};

struct DragCase {
    const char* name;
    QList<Step> steps;
    std::optional<QRectF> area; // none: cancelled
    bool open = false;          // still waiting after the steps
};

class RegionSelectionDrag : public ::testing::TestWithParam<DragCase> {};

TEST_P(RegionSelectionDrag, EndsWithTheDraggedAreaOrNone) {
    const DragCase& c = GetParam();
    FixedScreens screens({screen(mainFrame), screen(rightFrame, 0, 2)});
    RecordedSurfaces surfaces;
    Selection selection; // outlives the controller, which may still resume its caller
    RegionSelectionController controller(screens, surfaces);
    QCoro::Task<> task = watch(controller, selection);
    ASSERT_EQ(surfaces.shown.size(), 2u);
    const auto views = surfaces.shown;
    for (const Step& step : c.steps) {
        RegionSelectionView& view = *views[step.screen];
        switch (step.kind) {
        case Step::Down:
            view.mouseDown(step.at);
            break;
        case Step::Drag:
            view.mouseDragged(step.at);
            break;
        case Step::Up:
            view.mouseUp(step.at);
            break;
        case Step::Key: {
            const bool taken = step.key == Qt::Key_Escape && controller.isOpen();
            EXPECT_EQ(controller.handleKey(step.key), taken)
                << "Esc alone is taken, and only while a selection is open";
            break;
        }
        }
    }
    EXPECT_EQ(selection.done, !c.open);
    EXPECT_EQ(controller.isOpen(), c.open);
    EXPECT_EQ(selection.area, c.area);
    EXPECT_EQ(surfaces.shown.empty(), !c.open) << "the panels stay exactly while it is open";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegionSelectionDrag,
    ::testing::Values(
        DragCase{"click", {{Step::Down, {100, 100}}, {Step::Up, {100, 100}}}, std::nullopt},
        DragCase{"moveUnderThreshold",
                 {{Step::Down, {100, 100}}, {Step::Drag, {107.9, 92.1}}, {Step::Up, {107.9, 92.1}}},
                 std::nullopt},
        DragCase{"wideButTooFlat",
                 {{Step::Down, {100, 100}}, {Step::Drag, {200, 107.9}}, {Step::Up, {200, 107.9}}},
                 std::nullopt},
        DragCase{"exactlyEightByEight",
                 {{Step::Down, {100, 100}}, {Step::Drag, {108, 92}}, {Step::Up, {108, 92}}},
                 QRectF(100, 92, 8, 8)},
        DragCase{"draggedUpAndLeft",
                 {{Step::Down, {300, 200}}, {Step::Drag, {250, 260}}, {Step::Up, {250, 260}}},
                 QRectF(250, 200, 50, 60)},
        DragCase{"backUnderThresholdStillDragged",
                 {{Step::Down, {100, 100}},
                  {Step::Drag, {140, 140}},
                  {Step::Drag, {103, 103}},
                  {Step::Up, {103, 103}}},
                 std::nullopt},
        DragCase{"otherKeysPassAndTheDragGoesOn",
                 {{Step::Down, {10, 10}},
                  {Step::Key, {}, 0, Qt::Key_A},
                  {Step::Drag, {60, 40}},
                  {Step::Up, {60, 40}}},
                 QRectF(10, 10, 50, 30)},
        DragCase{"escapeMidDragThenLateMouseUp",
                 {{Step::Down, {10, 10}},
                  {Step::Drag, {60, 40}},
                  {Step::Key, {}, 0, Qt::Key_Escape},
                  {Step::Up, {60, 40}},
                  {Step::Key, {}, 0, Qt::Key_Escape}},
                 std::nullopt},
        DragCase{"acrossScreensInGlobalPoints",
                 {{Step::Down, {1500, 700}, 1},
                  {Step::Drag, {1300, 850}, 1},
                  {Step::Up, {1300, 850}, 1}},
                 QRectF(1300, 700, 200, 150)},
        DragCase{"pressedButNotReleased",
                 {{Step::Down, {10, 10}}, {Step::Drag, {60, 40}}},
                 std::nullopt,
                 true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegionSelectionController, ASecondSelectionEndsTheFirstAndShowsFreshPanels) {
    FixedScreens screens({screen(mainFrame)});
    RecordedSurfaces surfaces;
    Selection first;
    Selection second;
    RegionSelectionController controller(screens, surfaces);
    QCoro::Task<> firstTask = watch(controller, first);
    const std::shared_ptr<RegionSelectionView> firstView = surfaces.shown.at(0);
    firstView->mouseDown({10, 10});
    firstView->mouseDragged({100, 100});
    QCoro::Task<> secondTask = watch(controller, second);

    EXPECT_TRUE(first.done);
    EXPECT_EQ(first.area, std::nullopt);
    ASSERT_EQ(surfaces.shown.size(), 1u);
    EXPECT_NE(surfaces.shown.at(0), firstView);
    EXPECT_FALSE(surfaces.shown.at(0)->didDrag());
    firstView->mouseUp({100, 100});
    EXPECT_FALSE(second.done) << "a panel of the first selection must not end the second";

    surfaces.shown.at(0)->mouseDown({10, 10});
    surfaces.shown.at(0)->mouseDragged({30, 30});
    surfaces.shown.at(0)->mouseUp({30, 30});
    EXPECT_EQ(second.area, QRectF(10, 10, 20, 20));
}

TEST(RegionSelectionController, WithoutScreensOrOnDestructionTheCallerGetsNone) {
    RecordedSurfaces surfaces;
    FixedScreens none({});
    Selection noScreens;
    Selection destroyed;
    std::shared_ptr<RegionSelectionView> orphan;
    {
        RegionSelectionController controller(none, surfaces);
        QCoro::Task<> task = watch(controller, noScreens);
        EXPECT_TRUE(noScreens.done);
    }
    FixedScreens one({screen(mainFrame)});
    QCoro::Task<> task;
    {
        RegionSelectionController controller(one, surfaces);
        task = watch(controller, destroyed);
        orphan = surfaces.shown.at(0);
    }
    EXPECT_TRUE(destroyed.done);
    EXPECT_EQ(destroyed.area, std::nullopt);
    orphan->mouseDown({0, 0});
    orphan->mouseUp({0, 0}); // reaches no controller
}

// The overlay the app uses: a newer request ends the one before, and going away ends the last.
TEST(AreaSelectionOverlay, ANewerRequestAndTheOverlayGoingEndTheOneBefore) {
    SimDesktop desktop(SceneLoader::fromJson(
        R"({"screens": [{"frame": [0, 0, 1440, 900], "number": 1}], "windows": []})"));
    const Platform platform = desktop.platform();
    Selection first;
    Selection second;
    QCoro::Task<> firstTask;
    QCoro::Task<> secondTask;
    {
        AreaSelectionOverlay overlay(platform.screens, platform.screenCapture,
                                     AreaSelectionOverlay::Backdrop::Translucent);
        firstTask = watch(overlay, first);
        EXPECT_FALSE(first.done);
        secondTask = watch(overlay, second);
        EXPECT_TRUE(first.done);
        EXPECT_EQ(first.area, std::nullopt);
        EXPECT_FALSE(second.done);
    }
    EXPECT_TRUE(second.done);
    EXPECT_EQ(second.area, std::nullopt);
}

// Geometry in the window's top-left points, on a 400×300 screen whose bottom-left corner is at
// (1000, 50) in global points.
struct LayoutCase {
    const char* name;
    double topInset;
    QRectF selection; // global, bottom-left
    QRectF chip;      // window points, for a 40×15 text
    QRectF hint;      // window points, for a 200×18 text
};

class RegionSelectionLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(RegionSelectionLayout, PlacesChipAndHint) {
    const LayoutCase& c = GetParam();
    const QRectF frame(1000, 50, 400, 300);
    RegionSelectionView view(
        frame, c.topInset, [](QRectF) {}, [] {});
    view.mouseDown(c.selection.topLeft());
    view.mouseDragged(c.selection.bottomRight());
    const std::optional<QRectF> local = view.drawnSelection();
    ASSERT_TRUE(local);
    EXPECT_EQ(view.sizeChipBox(*local, {40, 15}), c.chip);
    EXPECT_EQ(view.hintBox({200, 18}), c.hint);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegionSelectionLayout,
    ::testing::Values(
        // Lower edge 100 up: the chip hangs 6 below it, right edges flush.
        LayoutCase{"chipBelow", 0, {1100, 150, 200, 100}, {244, 206, 56, 23}, {86, 28, 228, 34}},
        // Lower edge 10 up: no room below, so 6 above the lower edge, inside.
        LayoutCase{"chipInside", 0, {1100, 60, 200, 100}, {244, 261, 56, 23}, {86, 28, 228, 34}},
        // The box would end exactly 8 above the bottom: still below.
        LayoutCase{"chipJustFits", 0, {1100, 87, 200, 100}, {244, 269, 56, 23}, {86, 28, 228, 34}},
        LayoutCase{
            "hintUnderInset", 32, {1100, 150, 200, 100}, {244, 206, 56, 23}, {86, 48, 228, 34}},
        LayoutCase{"smallInsetKeepsMargin",
                   5,
                   {1100, 150, 200, 100},
                   {244, 206, 56, 23},
                   {86, 28, 228, 34}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegionSelectionView, DrawsOnlyPastTheThresholdAndFourPoints) {
    RegionSelectionView view(
        mainFrame, 0, [](QRectF) {}, [] {});
    view.mouseDown({100, 100});
    EXPECT_FALSE(view.drawnSelection());
    EXPECT_TRUE(view.showsHint());
    view.mouseDragged({200, 107.9});
    EXPECT_EQ(view.drawnSelection(), QRectF(100, 900 - 107.9, 100, 7.9));
    EXPECT_EQ(view.sizeChipText(), QString::fromUtf8("100 × 8"));
    EXPECT_FALSE(view.showsHint());
    view.mouseDragged({104, 96});
    EXPECT_EQ(view.drawnSelection(), QRectF(100, 900 - 100, 4, 4)) << "exactly 4 points is drawn";
    view.mouseDragged({103.9, 150});
    EXPECT_FALSE(view.drawnSelection()) << "narrower than 4 points";
    EXPECT_EQ(view.globalPointFromLocal({20, 30}), QPointF(20, 870));
}

} // namespace
} // namespace vantrel::testing
