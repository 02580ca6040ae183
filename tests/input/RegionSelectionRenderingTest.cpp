#include "input/GoldenPicture.h"
#include "input/RegionSelectionPainter.h"
#include "input/RegionSelectionView.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

const QRectF frame(0, 0, 360, 240);

// Something to see through the dimming: stripes of colour and a dark window.
QImage desktopPicture() {
    QImage picture(frame.size().toSize(), QImage::Format_RGB32);
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
        frame, c.topInset, [](QRectF) {}, [] {});
    if (!c.drag.isEmpty())
        view.mouseDown(c.drag.first());
    for (const QPointF& point : c.drag.mid(1))
        view.mouseDragged(point);
    QImage image(frame.size().toSize(), QImage::Format_ARGB32_Premultiplied);
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
