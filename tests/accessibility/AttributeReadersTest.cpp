#include "FakeAccessibility.h"
#include "accessibility/AccessibilityCaptureService.h"

#include <gtest/gtest.h>

#include <cmath>

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
        {"number", AXValue(0.5), QStringLiteral("0.5")},
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

// Plain decimals from 1e-7 up to (not including) 1e21, the shortest digits that read back.
TEST(AttributeReaders, NumbersReadAsTheirShortestDecimalText) {
    const std::pair<double, const char*> cases[] = {
        {1, "1"},
        {0, "0"},
        {-0.0, "-0"},
        {0.5, "0.5"},
        {100000, "100000"},
        {0.0001, "0.0001"},
        {-1234.5, "-1234.5"},
        {0.1 + 0.2, "0.30000000000000004"},
        {9007199254740992.0, "9007199254740992"},
        {9007199254740994.0, "9007199254740994"},
        {std::nextafter(1e21, 0), "999999999999999900000"},
        {1e21, "1e+21"},
        {-2.5e25, "-2.5e+25"},
        {1e-7, "0.0000001"},
        {-1e-7, "-0.0000001"},
        {std::nextafter(1e-7, 0), "9.999999999999998e-8"},
        {1.5e-8, "1.5e-8"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
    };
    for (const auto& [number, expected] : cases) {
        FakeAccessibility ax;
        const AXElement element = ax.add("AXSlider");
        ax.set(element, "AXValue", number);
        EXPECT_EQ(Service::axValueDescription(ax, element), QString::fromLatin1(expected))
            << expected;
    }
}
