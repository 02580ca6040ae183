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
