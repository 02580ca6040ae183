#include "FakeAccessibility.h"
#include "accessibility/AccessibilityCaptureService.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vantrel;
using vantrel::test::FakeAccessibility;
using Service = AccessibilityCaptureService;

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

// Each reader takes only its own kind of value; any other kind, and a failed read, is absent (no
// children). A value is described whatever its kind.
TEST(AttributeReaders, EachReaderTakesItsOwnKind) {
    enum Reader { text, boolean, point, size, children, element, description };
    FakeAccessibility ax;
    const AXElement target = ax.add("AXGroup");
    const AXElement other = ax.add("AXButton");
    const auto read = [&](Reader reader) -> QString {
        const QString thing = QStringLiteral("AXThing");
        const auto pair = [](double a, double b) { return QStringLiteral("%1,%2").arg(a).arg(b); };
        switch (reader) {
        case text:
            return Service::axString(ax, target, thing).value_or("absent");
        case boolean: {
            const auto value = Service::axBool(ax, target, thing);
            return value ? (*value ? "true" : "false") : "absent";
        }
        case point: {
            const auto value = Service::axPoint(ax, target, thing);
            return value ? pair(value->x(), value->y()) : "absent";
        }
        case size: {
            const auto value = Service::axSize(ax, target);
            return value ? pair(value->width(), value->height()) : "absent";
        }
        case children:
            return QString::number(Service::axChildren(ax, target).size()) + " children";
        case element:
            return Service::axElement(ax, target, thing) == other ? "other" : "absent";
        case description:
            return Service::axValueDescription(ax, target).value_or("absent");
        }
        return {};
    };
    const std::tuple<Reader, AXValue, const char*> cases[] = {
        {text, AXValue(QStringLiteral("plain")), "plain"},
        {text, AXValue(AXAttributedString{"rich"}), "rich"},
        {text, AXValue(1.0), "absent"},
        {boolean, AXValue(2.0), "true"},
        {boolean, AXValue(0.0), "false"},
        {boolean, AXValue(QStringLiteral("true")), "absent"},
        {point, AXValue(AXPointValue{{1, 2}}), "1,2"},
        {point, AXValue(AXSizeValue{{1, 2}}), "absent"},
        {size, AXValue(AXSizeValue{{3, 4}}), "3,4"},
        {size, AXValue(AXPointValue{{3, 4}}), "absent"},
        {children, AXValue(QList<AXElement>{other, target}), "2 children"},
        {children, AXValue(other), "0 children"},
        {children, AXValue(QStringLiteral("list")), "0 children"},
        {element, AXValue(other), "other"},
        {element, AXValue(AXElement{}), "absent"},
        {element, AXValue(QList<AXElement>{other}), "absent"},
        {description, AXValue(QStringLiteral("hello")), "hello"},
        {description, AXValue(QString()), ""},
        {description, AXValue(0.5), "0.5"},
        {description, AXValue(AXAttributedString{"rich"}), "rich"},
        {description, AXValue(AXNoValue{}), "nil"},
        {description, AXValue(AXOtherValue{"<AXTextMarker 0x6000>"}),
         "Optional(<AXTextMarker 0x6000>)"},
        {description, AXValue(AXPointValue{{1, 2.5}}), "Optional((1, 2.5))"},
        {description, AXValue(AXSizeValue{{3, 4}}), "Optional((3, 4))"},
        {description, AXValue(QList<AXElement>{other, target}), "Optional(<2 elements>)"},
    };
    for (const auto& [reader, value, expected] : cases) {
        for (const char* attribute : {"AXThing", "AXSize", "AXChildren", "AXValue"})
            ax.set(target, attribute, value);
        EXPECT_EQ(read(reader), expected) << reader << " " << expected;
        for (const char* attribute : {"AXThing", "AXSize", "AXChildren", "AXValue"})
            ax.fail(target, attribute, FakeAccessibility::unsupported);
        EXPECT_EQ(read(reader), reader == children ? "0 children" : "absent") << reader;
    }
}
