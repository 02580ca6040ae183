#include "accessibility/AccessibilityRegionFilter.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

QVariantMap frame(QVariant x, QVariant y, QVariant width, QVariant height) {
    return {{"x", x}, {"y", y}, {"width", width}, {"height", height}};
}

SnapshotNode node(const QString& name, std::optional<QVariantMap> frameValue = std::nullopt,
                  QVariantList children = {}) {
    SnapshotNode result{{"identifier", name}, {"role", "AXGroup"}};
    if (frameValue)
        result.insert("frame", *frameValue);
    if (!children.isEmpty())
        result.insert("children", children);
    return result;
}

const QRectF area(100, 100, 50, 50);

} // namespace

TEST(AccessibilityRegionFilter, KeepsWhatLiesInTheAreaAndThePathToIt) {
    const SnapshotNode inside = node("inside", frame(110.0, 110.0, 10.0, 10.0));
    const SnapshotNode outside = node("outside", frame(300.0, 300.0, 10.0, 10.0));
    const SnapshotNode point = node("point", frame(120.0, 120.0, 0.0, 0.0));
    const SnapshotNode window = node("window", frame(0.0, 0.0, 800.0, 600.0));
    const SnapshotNode unframed = node("unframed");
    struct Case {
        const char* name;
        SnapshotNode tree;
        std::optional<SnapshotNode> expected;
    };
    const QList<Case> cases{
        {"leaf outside", outside, std::nullopt},
        {"zero-size leaf with its origin inside", point, point},
        {"unframed group keeps only the child that hits",
         node("group", std::nullopt, {outside, inside, unframed}),
         node("group", std::nullopt, {inside})},
        {"window over the area with nothing below it",
         node("window", frame(0.0, 0.0, 800.0, 600.0), {outside}), window},
        {"nothing hits", node("group", std::nullopt, {outside, unframed}), std::nullopt},
        {"integer frame numbers", node("ints", frame(110, 110, 5, 5)),
         node("ints", frame(110, 110, 5, 5))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AccessibilityRegionFilter::filter(c.tree, area), c.expected) << c.name;
}
