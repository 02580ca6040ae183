#include "FakeAccessibility.h"
#include "accessibility/AccessibilityCaptureService.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::test::FakeAccessibility;
using Service = AccessibilityCaptureService;

namespace {

struct ValueCase {
    const char* name;
    std::optional<AXValue> value; // none: the read fails
    std::optional<QString> expected;
};

} // namespace

TEST(AttributeReaders, ValueDescriptionCoversEveryKindOfValue) {
    const QList<ValueCase> cases{
        {"failed read", std::nullopt, std::nullopt},
        {"string", AXValue(QStringLiteral("hello")), QStringLiteral("hello")},
        {"empty string stays", AXValue(QString()), QString("")},
        {"whole number", AXValue(1.0), QStringLiteral("1")},
        {"zero", AXValue(0.0), QStringLiteral("0")},
        {"fraction", AXValue(0.5), QStringLiteral("0.5")},
        {"attributed", AXValue(AXAttributedString{"rich"}), QStringLiteral("rich")},
        {"no value", AXValue(AXNoValue{}), QStringLiteral("nil")},
        {"other kind", AXValue(AXOtherValue{"<AXTextMarker 0x6000>"}),
         QStringLiteral("Optional(<AXTextMarker 0x6000>)")},
    };
    for (const ValueCase& c : cases) {
        FakeAccessibility ax;
        const AXElement element = ax.add("AXTextField");
        if (c.value)
            ax.set(element, "AXValue", *c.value);
        else
            ax.fail(element, "AXValue", -25212);
        EXPECT_EQ(Service::axValueDescription(ax, element), c.expected) << c.name;
    }
}

TEST(AttributeReaders, TextBooleanAndGeometryAcceptOnlyTheirKinds) {
    FakeAccessibility ax;
    const AXElement element = ax.add("AXButton");
    ax.set(element, "AXTitle", AXAttributedString{"Plain"});
    ax.set(element, "AXDescription", 3.0);
    ax.set(element, "AXFocused", 0.0);
    ax.set(element, "AXEnabled", 1.0);
    ax.set(element, "AXSelected", QStringLiteral("true"));
    ax.set(element, "AXPosition", AXPointValue{{10, 20}});
    ax.set(element, "AXSize", AXPointValue{{30, 40}});
    ax.set(element, "AXChildren", AXElement{99});

    EXPECT_EQ(Service::axString(ax, element, "AXTitle"), "Plain");
    EXPECT_EQ(Service::axString(ax, element, "AXDescription"), std::nullopt);
    EXPECT_EQ(Service::axString(ax, element, "AXIdentifier"), std::nullopt);
    EXPECT_EQ(Service::axBool(ax, element, "AXFocused"), false);
    EXPECT_EQ(Service::axBool(ax, element, "AXEnabled"), true);
    EXPECT_EQ(Service::axBool(ax, element, "AXSelected"), std::nullopt);
    EXPECT_EQ(Service::axPoint(ax, element, "AXPosition"), QPointF(10, 20));
    EXPECT_EQ(Service::axSize(ax, element), std::nullopt) << "a point is not a size";
    EXPECT_TRUE(Service::axChildren(ax, element).isEmpty()) << "one element is not a list";
}
