// The area selection: the drag on each screen and what it ends with, the controller's panels,
// where the size chip and the hint go, and pictures of the overlay in each state.
#include "input/GoldenPicture.h"
#include "input/RegionSelectionController.h"
#include "input/RegionSelectionPainter.h"
#include "input/RegionSelectionSurfaces.h"
#include "input/RegionSelectionView.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "ui/widgets/AreaSelectionOverlay.h"

#include <QCoro/QCoroTask>
#include <QPainter>
#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QRectF& rect, std::ostream* out) {
    *out << "(" << rect.x() << ", " << rect.y() << ", " << rect.width() << " × " << rect.height()
         << ")";
}

namespace vantrel::testing {
namespace {

// Panels without windows: what the controller shows is what it asked for.
class RecordedSurfaces final : public RegionSelectionSurfaces {
  public:
    void presentPanel(std::shared_ptr<RegionSelectionView> view, const ScreenInfo&) override {
        shown.push_back(std::move(view));
    }
    void removePanels() override { shown.clear(); }

    std::vector<std::shared_ptr<RegionSelectionView>> shown;
};

// Everything here resumes synchronously, so a selection's task can be watched without a loop.
struct Selection {
    bool done = false;
    std::optional<QRectF> area;
};

QCoro::Task<> watch(RegionSelecting& selecting, Selection& out) {
    out.area = co_await selecting.selectRegion();
    out.done = true;
}

// The main screen, and one to its right whose bottom is 100 up (bottom-left space).
const QRectF mainFrame(0, 0, 1440, 900);
SimDesktop twoScreens() {
    return SimDesktop(SceneLoader::fromJson(R"({"screens": [{"frame": [0, 0, 1440, 900]},
        {"frame": [1440, 100, 1280, 1024], "number": 2}]})"));
}

// A mouse event on one screen's view, or (without one) a key for the controller.
struct Step {
    void (RegionSelectionView::*event)(QPointF) = nullptr;
    QPointF at;
    int screen = 0; // whose window the mouse pressed in
    int key = 0;
};
constexpr auto Down = &RegionSelectionView::mouseDown;
constexpr auto Drag = &RegionSelectionView::mouseDragged;
constexpr auto Up = &RegionSelectionView::mouseUp;
Step key(int qtKey) {
    return {nullptr, {}, 0, qtKey};
}
const Step esc = key(Qt::Key_Escape);
// Pressed at `from`, dragged to `to` and released there.
QList<Step> drag(QPointF from, QPointF to, int screen = 0) {
    return {{Down, from, screen}, {Drag, to, screen}, {Up, to, screen}};
}

struct DragCase {
    const char* name;
    QList<Step> steps;
    std::optional<QRectF> area; // none: cancelled
    bool open = false;          // still waiting after the steps
};

class RegionSelectionDrag : public ::testing::TestWithParam<DragCase> {};

TEST_P(RegionSelectionDrag, EndsWithTheDraggedAreaOrNone) {
    const DragCase& c = GetParam();
    SimDesktop desktop = twoScreens();
    RecordedSurfaces surfaces;
    Selection selection; // outlives the controller, which may still resume its caller
    RegionSelectionController controller(desktop.screens(), surfaces);
    QCoro::Task<> task = watch(controller, selection);
    ASSERT_EQ(surfaces.shown.size(), 2u);
    const auto views = surfaces.shown;
    for (const Step& step : c.steps) {
        if (step.event) {
            (views[step.screen].get()->*step.event)(step.at);
            continue;
        }
        const bool taken = step.key == Qt::Key_Escape && controller.isOpen();
        EXPECT_EQ(controller.handleKey(step.key), taken)
            << "Esc alone is taken, and only while a selection is open";
    }
    EXPECT_EQ(selection.done, !c.open);
    EXPECT_EQ(controller.isOpen(), c.open);
    EXPECT_EQ(selection.area, c.area);
    EXPECT_EQ(surfaces.shown.empty(), !c.open) << "the panels stay exactly while it is open";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegionSelectionDrag,
    ::testing::Values(
        DragCase{"click", {{Down, {100, 100}}, {Up, {100, 100}}}, std::nullopt},
        DragCase{"moveUnderThreshold", drag({100, 100}, {107.9, 92.1}), std::nullopt},
        DragCase{"wideButTooFlat", drag({100, 100}, {200, 107.9}), std::nullopt},
        DragCase{"exactlyEightByEight", drag({100, 100}, {108, 92}), QRectF(100, 92, 8, 8)},
        // Eight points along one axis alone make a drag; it ends where the mouse is released.
        DragCase{"exactlyEightAcross",
                 {{Down, {100, 100}}, {Drag, {108, 103}}, {Up, {150, 160}}},
                 QRectF(100, 100, 50, 60)},
        DragCase{"exactlyEightUp",
                 {{Down, {100, 100}}, {Drag, {103, 108}}, {Up, {150, 160}}},
                 QRectF(100, 100, 50, 60)},
        DragCase{"draggedUpAndLeft", drag({300, 200}, {250, 260}), QRectF(250, 200, 50, 60)},
        DragCase{"backUnderThresholdStillDragged",
                 {{Down, {100, 100}}, {Drag, {140, 140}}, {Drag, {103, 103}}, {Up, {103, 103}}},
                 std::nullopt},
        DragCase{"otherKeysPassAndTheDragGoesOn",
                 {{Down, {10, 10}}, key(Qt::Key_A), {Drag, {60, 40}}, {Up, {60, 40}}},
                 QRectF(10, 10, 50, 30)},
        DragCase{"escapeMidDragThenLateMouseUp",
                 {{Down, {10, 10}}, {Drag, {60, 40}}, esc, {Up, {60, 40}}, esc},
                 std::nullopt},
        DragCase{"acrossScreensInGlobalPoints", drag({1500, 700}, {1300, 850}, 1),
                 QRectF(1300, 700, 200, 150)},
        DragCase{
            "pressedButNotReleased", {{Down, {10, 10}}, {Drag, {60, 40}}}, std::nullopt, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegionSelectionController, ASecondSelectionEndsTheFirstAndShowsFreshPanels) {
    SimDesktop desktop = twoScreens();
    RecordedSurfaces surfaces;
    Selection first;
    Selection second;
    RegionSelectionController controller(desktop.screens(), surfaces);
    QCoro::Task<> firstTask = watch(controller, first);
    const std::shared_ptr<RegionSelectionView> firstView = surfaces.shown.at(0);
    firstView->mouseDown({10, 10});
    firstView->mouseDragged({100, 100});
    QCoro::Task<> secondTask = watch(controller, second);

    EXPECT_TRUE(first.done);
    EXPECT_EQ(first.area, std::nullopt);
    ASSERT_EQ(surfaces.shown.size(), 2u);
    EXPECT_NE(surfaces.shown.at(0), firstView);
    EXPECT_FALSE(surfaces.shown.at(0)->didDrag());
    firstView->mouseUp({100, 100});
    EXPECT_FALSE(second.done) << "a panel of the first selection must not end the second";

    surfaces.shown.at(0)->mouseDown({10, 10});
    surfaces.shown.at(0)->mouseDragged({30, 30});
    surfaces.shown.at(0)->mouseUp({30, 30});
    EXPECT_EQ(second.area, QRectF(10, 10, 20, 20));
}

// An agent's request: its prompt on every screen, and a click that picks the point under it.
TEST(RegionSelectionController, AnAgentsRequestShowsItsPromptAndAClickPicksAPoint) {
    SimDesktop desktop = twoScreens();
    RecordedSurfaces surfaces;
    Selection clicked;
    RegionSelectionController controller(desktop.screens(), surfaces);
    controller.setRequest({"Which button?", true});
    QCoro::Task<> task = watch(controller, clicked);
    ASSERT_EQ(surfaces.shown.size(), 2u);
    EXPECT_EQ(surfaces.shown.at(1)->hintText(), "Which button?  —  Click a window · Esc to cancel");
    surfaces.shown.at(1)->mouseDown({1500, 700});
    surfaces.shown.at(1)->mouseUp({1500, 700});
    EXPECT_EQ(clicked.area, QRectF(1500, 700, 1, 1));
    controller.setRequest({});
    Selection plain;
    QCoro::Task<> again = watch(controller, plain);
    EXPECT_EQ(surfaces.shown.at(0)->hintText(), "Drag to capture · Esc to cancel");
}

// Screens a test changes while a selection is open.
class ChangingScreens final : public ScreenList {
  public:
    explicit ChangingScreens(QList<ScreenInfo> list) : list(std::move(list)) {}
    QList<ScreenInfo> screens() const override { return list; }
    std::optional<ScreenInfo> mainScreen() const override { return list.value(0); }
    QPointF mouseLocation() const override { return {}; }

    QList<ScreenInfo> list;
};

// A monitor unplugged, plugged in or moved between the press and the release: the area no longer
// covers what the panels showed, so the selection ends with none.
TEST(RegionSelectionController, AMonitorChangedDuringTheDragCancelsIt) {
    const QList<ScreenInfo> two = twoScreens().screens().screens();
    ScreenInfo moved = two[1];
    moved.frame.translate(0, 100);
    const QList<QList<ScreenInfo>> changes = {{two[0]}, {two[0], two[1], moved}, {two[0], moved}};
    for (const QList<ScreenInfo>& change : changes) {
        ChangingScreens screens(two);
        RecordedSurfaces surfaces;
        Selection selection;
        RegionSelectionController controller(screens, surfaces);
        QCoro::Task<> task = watch(controller, selection);
        const auto views = surfaces.shown;
        views.at(0)->mouseDown({100, 100});
        views.at(0)->mouseDragged({1600, 300});
        screens.list = change;
        views.at(0)->mouseUp({1600, 300});
        EXPECT_TRUE(selection.done);
        EXPECT_EQ(selection.area, std::nullopt) << change.size();
        EXPECT_TRUE(surfaces.shown.empty());
    }
}

TEST(RegionSelectionController, WithoutScreensOnCancelOrOnDestructionTheCallerGetsNone) {
    RecordedSurfaces surfaces;
    SimDesktop none(SceneLoader::fromJson(R"({"screens": []})"));
    Selection noScreens;
    Selection destroyed;
    std::shared_ptr<RegionSelectionView> orphan;
    {
        RegionSelectionController controller(none.screens(), surfaces);
        QCoro::Task<> task = watch(controller, noScreens);
        EXPECT_TRUE(noScreens.done);
    }
    SimDesktop desktop = twoScreens();
    QCoro::Task<> task;
    {
        RegionSelectionController controller(desktop.screens(), surfaces);
        task = watch(controller, destroyed);
        orphan = surfaces.shown.at(0);
    }
    EXPECT_TRUE(destroyed.done);
    EXPECT_EQ(destroyed.area, std::nullopt);
    // An agent that stops waiting takes the panels with it.
    RegionSelectionController controller(desktop.screens(), surfaces);
    Selection cancelled;
    QCoro::Task<> cancelledTask = watch(controller, cancelled);
    controller.cancel();
    EXPECT_TRUE(cancelled.done);
    EXPECT_EQ(cancelled.area, std::nullopt);
    EXPECT_TRUE(surfaces.shown.empty());
    orphan->mouseDown({0, 0});
    orphan->mouseUp({0, 0}); // reaches no controller
}

// The overlay the app uses: a newer request ends the one before, and going away ends the last.
TEST(AreaSelectionOverlay, ANewerRequestAndTheOverlayGoingEndTheOneBefore) {
    SimDesktop desktop = twoScreens();
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

// A 200×100 drag whose lower edge is 100 points up, and where the boxes then go.
const QRectF dragged(1100, 150, 200, 100);
const QRectF chipBelow(244, 206, 56, 23);
const QRectF hint(86, 28, 228, 34);

INSTANTIATE_TEST_SUITE_P(
    Cases, RegionSelectionLayout,
    ::testing::Values(
        // The chip hangs 6 below the lower edge, right edges flush.
        LayoutCase{"chipBelow", 0, dragged, chipBelow, hint},
        // Lower edge 10 up: no room below, so 6 above the lower edge, inside.
        LayoutCase{"chipInside", 0, {1100, 60, 200, 100}, {244, 261, 56, 23}, hint},
        // The box would end exactly 8 above the bottom: still below.
        LayoutCase{"chipJustFits", 0, {1100, 87, 200, 100}, {244, 269, 56, 23}, hint},
        LayoutCase{"hintUnderInset", 32, dragged, chipBelow, {86, 48, 228, 34}},
        LayoutCase{"smallInsetKeepsMargin", 5, dragged, chipBelow, hint}),
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

const QRectF pictureFrame(0, 0, 360, 240);

// Something to see through the dimming: stripes of colour and a dark window.
QImage desktopPicture() {
    QImage picture(pictureFrame.size().toSize(), QImage::Format_RGB32);
    QPainter painter(&picture);
    const QColor stripes[] = {QColor(0x3b82f6), QColor(0xf59e0b), QColor(0x10b981)};
    for (int i = 0; i < 3; ++i)
        painter.fillRect(QRect(i * 120, 0, 120, 240), stripes[i]);
    painter.fillRect(QRect(60, 50, 200, 120), QColor(0x1f2937));
    painter.fillRect(QRect(80, 70, 60, 24), Qt::white);
    return picture;
}

struct RenderCase {
    const char* name;
    double topInset;
    bool frozen;
    QList<QPointF> drag; // down, then each point dragged to
};

QImage render(const RenderCase& c) {
    RegionSelectionView view(
        pictureFrame, c.topInset, [](QRectF) {}, [] {});
    if (!c.drag.isEmpty())
        view.mouseDown(c.drag.first());
    for (const QPointF& point : c.drag.mid(1))
        view.mouseDragged(point);
    QImage image(pictureFrame.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    RegionSelectionPainter::paint(painter, view, c.frozen ? desktopPicture() : QImage());
    return image;
}

class RegionSelectionRendering : public ::testing::TestWithParam<RenderCase> {};

TEST_P(RegionSelectionRendering, MatchesGolden) {
    const RenderCase& c = GetParam();
    EXPECT_TRUE(matchesGolden(render(c), QString::fromLatin1(c.name)));
}

INSTANTIATE_TEST_SUITE_P(
    States, RegionSelectionRendering,
    ::testing::Values(
        RenderCase{"overlay-idle-frozen", 0, true, {}},
        RenderCase{"overlay-idle-translucent-inset32", 32, false, {}},
        RenderCase{"overlay-dragging-frozen", 0, true, {{70, 200}, {240, 110}}},
        // Lower edge 10 points up: the chip moves inside.
        RenderCase{"overlay-dragging-chip-inside-translucent", 0, false, {{40, 120}, {200, 10}}}),
    [](const auto& info) {
        QString name = QString::fromLatin1(info.param.name);
        return name.remove(u'-').toStdString();
    });

TEST(RegionSelectionRendering, PressingWithoutDraggingChangesNothing) {
    EXPECT_EQ(render({"pressed", 0, true, {{100, 100}, {104, 104}}}),
              render({"idle", 0, true, {}}));
}

} // namespace
} // namespace vantrel::testing
