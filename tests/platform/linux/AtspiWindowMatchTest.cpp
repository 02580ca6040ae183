#include "platform/linux/AtspiWindowMatch.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using Candidate = AtspiWindowMatch::Candidate;

WindowListEntry entry(qint64 pid, QRectF bounds, QString name = QStringLiteral("Editor")) {
    return {0, pid, bounds, name, 1};
}

TEST(AtspiWindowMatch, TakesTheFrontMostWindowThatIsNotOurs) {
    const qint64 self = 7;
    const QList<WindowListEntry> frontToBack{
        entry(self, QRectF(0, 0, 1000, 1000), QStringLiteral("overlay")),
        {0, std::nullopt, QRectF(0, 0, 1000, 1000), QStringLiteral("no owner"), 2},
        entry(20, QRectF(500, 500, 100, 100), QStringLiteral("elsewhere")),
        entry(30, QRectF(0, 0, 200, 200), QStringLiteral("front")),
        entry(40, QRectF(0, 0, 400, 400), QStringLiteral("behind")),
    };
    const auto nameAt = [&](QPointF point) {
        const auto hit = AtspiWindowMatch::topWindowAt(frontToBack, point, self);
        return hit ? hit->name.value_or(QString()) : QStringLiteral("nothing");
    };
    EXPECT_EQ(nameAt(QPointF(100, 100)), QStringLiteral("front"));
    EXPECT_EQ(nameAt(QPointF(200, 100)), QStringLiteral("behind")) << "the right edge is not in";
    EXPECT_EQ(nameAt(QPointF(900, 900)), QStringLiteral("nothing"));
}

const QRectF gtkFrame(100, 80, 502, 525);
const QRectF elsewhere(800, 80, 300, 300);

TEST(AtspiWindowMatch, PrefersTitleAndExtentsThenFallsBack) {
    // The X11 client rectangle; GTK under openbox reports it with the frame around it.
    const WindowListEntry window = entry(30, QRectF(101, 100, 500, 500));
    const QString editor = QStringLiteral("Editor"), other = QStringLiteral("Other");
    const auto expect = [&](std::optional<qsizetype> best, const QList<Candidate>& candidates,
                            const char* why) {
        EXPECT_EQ(AtspiWindowMatch::bestCandidate(candidates, window, QPointF(150, 120)), best)
            << why;
    };
    expect(1, {{QStringLiteral("Palette"), QRectF(90, 90, 100, 100)}, {editor, gtkFrame}},
           "same title and frame-inclusive extents beat a window over the point");
    expect(1, {{editor, elsewhere}, {editor, gtkFrame}},
           "two windows with the title: the one whose extents match");
    expect(1, {{other, elsewhere}, {editor, QRectF(0, 0, 1000, 900)}},
           "title over the point when the size differs");
    expect(1, {{other, elsewhere}, {QStringLiteral("Editor — *"), gtkFrame}},
           "retitled window still found by its extents");
    expect(1, {{other, elsewhere}, {QString(), QRectF(0, 0, 1000, 900)}},
           "a window over the point as the last resort");
    expect(std::nullopt, {{editor, std::nullopt}, {editor, elsewhere}},
           "a matching title alone is not enough");
    expect(std::nullopt, {}, "no windows");
}

TEST(AtspiWindowMatch, ToleratesAWindowManagerFrameButNotAnotherWindow) {
    const QRectF client(101, 100, 500, 500);
    EXPECT_TRUE(AtspiWindowMatch::sameWindowBounds(client, gtkFrame));
    EXPECT_FALSE(AtspiWindowMatch::sameWindowBounds(client, QRectF(101, 100, 500, 560)));
    EXPECT_FALSE(AtspiWindowMatch::sameWindowBounds(client, QRectF(161, 100, 500, 500)));
    // 48 pixels of frame on any edge are the window's own; 49 are another window.
    for (const QMarginsF& frame : {QMarginsF(48, 0, 0, 0), QMarginsF(0, 48, 0, 0),
                                   QMarginsF(0, 0, 48, 0), QMarginsF(0, 0, 0, 48)}) {
        EXPECT_TRUE(AtspiWindowMatch::sameWindowBounds(client, client + frame));
        EXPECT_FALSE(AtspiWindowMatch::sameWindowBounds(client, client + frame + (frame / 48.0)));
    }
}

} // namespace
} // namespace vantrel
