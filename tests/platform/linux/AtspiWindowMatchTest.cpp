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
    const auto hit = AtspiWindowMatch::topWindowAt(frontToBack, QPointF(100, 100), self);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->name, QStringLiteral("front"));
    // The right and bottom edges belong to the neighbour.
    EXPECT_EQ(AtspiWindowMatch::topWindowAt(frontToBack, QPointF(200, 100), self)->name,
              QStringLiteral("behind"));
    EXPECT_FALSE(AtspiWindowMatch::topWindowAt(frontToBack, QPointF(900, 900), self));
}

struct MatchCase {
    const char* name;
    QList<Candidate> candidates;
    std::optional<qsizetype> expected;
};

class AtspiWindowMatchTest : public testing::TestWithParam<MatchCase> {};

TEST_P(AtspiWindowMatchTest, PrefersTitleAndExtentsThenFallsBack) {
    // The X11 client rectangle; GTK under openbox reports it with the frame around it.
    const WindowListEntry window = entry(30, QRectF(101, 100, 500, 500));
    const MatchCase& c = GetParam();
    EXPECT_EQ(AtspiWindowMatch::bestCandidate(c.candidates, window, QPointF(150, 120)), c.expected)
        << c.name;
}

const QRectF gtkFrame(100, 80, 502, 525);
const QRectF elsewhere(800, 80, 300, 300);

INSTANTIATE_TEST_SUITE_P(
    Cases, AtspiWindowMatchTest,
    testing::Values(
        MatchCase{"same title and frame-inclusive extents beat a window over the point",
                  {{QStringLiteral("Palette"), QRectF(90, 90, 100, 100)},
                   {QStringLiteral("Editor"), gtkFrame}},
                  1},
        MatchCase{"two windows with the title: the one whose extents match",
                  {{QStringLiteral("Editor"), elsewhere}, {QStringLiteral("Editor"), gtkFrame}},
                  1},
        MatchCase{"title over the point when the size differs",
                  {{QStringLiteral("Other"), elsewhere},
                   {QStringLiteral("Editor"), QRectF(0, 0, 1000, 900)}},
                  1},
        MatchCase{"retitled window still found by its extents",
                  {{QStringLiteral("Other"), elsewhere}, {QStringLiteral("Editor — *"), gtkFrame}},
                  1},
        MatchCase{"a window over the point as the last resort",
                  {{QStringLiteral("Other"), elsewhere}, {QString(), QRectF(0, 0, 1000, 900)}},
                  1},
        MatchCase{"a matching title alone is not enough",
                  {{QStringLiteral("Editor"), std::nullopt}, {QStringLiteral("Editor"), elsewhere}},
                  std::nullopt},
        MatchCase{"no windows", {}, std::nullopt}));

TEST(AtspiWindowMatch, ToleratesAWindowManagerFrameButNotAnotherWindow) {
    const QRectF client(101, 100, 500, 500);
    EXPECT_TRUE(AtspiWindowMatch::sameWindowBounds(client, gtkFrame));
    EXPECT_FALSE(AtspiWindowMatch::sameWindowBounds(client, QRectF(101, 100, 500, 560)));
    EXPECT_FALSE(AtspiWindowMatch::sameWindowBounds(client, QRectF(161, 100, 500, 500)));
}

} // namespace
} // namespace vantrel
