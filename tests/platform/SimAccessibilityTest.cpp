#include "SimTestSupport.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

// Front to back: an off-screen window over everything, a window without accessibility, window 1
// with a group holding a button and two overlapping labels, window 2 partly behind window 1, and
// window 4 of a process that is no application, whose root "e" spells every kind of value.
const char* const scene = R"({
    "apps": [{"pid": 10, "name": "Front"}, {"pid": 20, "name": "Back"}, {"pid": 30}],
    "windows": [
      {"id": 9, "pid": 20, "bounds": [0, 0, 2000, 2000], "onScreen": false,
       "ax": {"id": "hidden", "frame": [0, 0, 2000, 2000]}},
      {"id": 3, "pid": 30, "bounds": [600, 0, 100, 100]},
      {"id": 1, "pid": 10, "bounds": [0, 0, 400, 300],
       "ax": {"id": "w1", "frame": [0, 0, 400, 300], "children": [
         {"id": "group", "frame": [10, 40, 200, 200], "children": [
           {"id": "button", "frame": [20, 50, 80, 30]},
           {"id": "under", "frame": [20, 100, 100, 40]},
           {"id": "over", "frame": [60, 100, 100, 40]}]},
         {"id": "noFrame"}]}},
      {"id": 2, "pid": 20, "bounds": [200, 100, 400, 300],
       "ax": {"id": "w2", "frame": [200, 100, 400, 300], "children": [
         {"id": "field", "frame": [420, 300, 100, 30]}]}},
      {"id": 4, "pid": 40, "bounds": [3000, 0, 10, 10],
       "ax": {"id": "e", "role": "AXTextField", "title": 12.5, "description": {"attributed": "Find"},
              "value": null, "identifier": {"other": "<AXValue 0x1>"}, "enabled": true,
              "focused": false, "frame": [1, 2, 3, 4],
              "attributes": {"AXSubrole": "AXSearchField", "AXSize": {"size": [5, 6]},
                             "AXAnchor": {"point": [7, 8]}, "AXHelp": {"error": -25204},
                             "AXChildren": {"error": -25201}},
              "children": [{"id": "inf", "frame": ["NaN", "Infinity", "-Infinity", 4]}]}}
    ]})";

template <class... F> struct Overloaded : F... { using F::operator()...; };

// A handle as the scene names it: its id, or "app:PID" for an application.
QString name(SimAccessibility& ax, AXElement element) {
    if (const SceneElement* found = ax.sceneElement(element))
        return found->id.value_or(QString());
    for (qint32 pid : {10, 20, 30, 40, 1000}) {
        if (element == ax.applicationElement(pid))
            return "app:" + QString::number(pid);
    }
    return element == ax.systemWideElement() ? "system" : "?";
}

AXElement handle(SimAccessibility& ax, const QString& name) {
    if (name.startsWith("app:"))
        return ax.applicationElement(name.mid(4).toInt());
    return name == "system" ? ax.systemWideElement() : ax.element(name);
}

QString describe(SimAccessibility& ax, const AXReadResult& read) {
    if (!read.succeeded())
        return "error " + QString::number(read.error);
    const auto pair = [](QString kind, double a, double b) {
        return kind + QString(" %1,%2").arg(a).arg(b);
    };
    return std::visit(
        Overloaded{[](AXNoValue) { return QString("no value"); },
                   [](const QString& text) { return text; },
                   [](const AXAttributedString& text) { return "attributed " + text.text; },
                   [](const AXOtherValue& v) { return "other " + v.debugDescription; },
                   [](double value) { return QString::number(value); },
                   [&](AXPointValue v) { return pair("point", v.point.x(), v.point.y()); },
                   [&](AXSizeValue v) { return pair("size", v.size.width(), v.size.height()); },
                   [&](AXElement element) { return name(ax, element); },
                   [&](const QList<AXElement>& list) {
                       QStringList names;
                       for (AXElement element : list)
                           names << name(ax, element);
                       return "[" + names.join(' ') + "]";
                   }},
        read.value);
}

QString read(SimAccessibility& ax, const QString& element, const QString& attribute) {
    return describe(ax, ax.copyAttributeValue(handle(ax, element), attribute));
}

QString hit(SimAccessibility& ax, float x, float y) {
    const auto found = ax.elementAtPosition(ax.systemWideElement(), x, y);
    return found ? name(ax, *found) : "nothing";
}

TEST(SimAccessibility, HitTestsFindTheDeepestElementOfTheFrontmostWindow) {
    auto desktop = test::desktopFromJson(scene);
    auto& ax = desktop->accessibility();
    const std::tuple<float, float, const char*, const char*> cases[] = {
        {20, 50, "button", "the deepest leaf, from its top-left corner"},
        {15, 45, "group", "a group outside its children"},
        {80, 120, "over", "the later sibling is on top"},
        {30, 120, "under", "the earlier sibling where it is alone"},
        {400, 150, "w2", "the right edge belongs to the next window"},
        {250, 300, "w2", "so does the bottom edge"},
        {450, 310, "field", "the back window where it is uncovered"},
        {650, 50, "nothing", "a window without accessibility"},
        {1500, 1500, "nothing", "off-screen windows are ignored"},
    };
    for (const auto& [x, y, expected, why] : cases)
        EXPECT_EQ(hit(ax, x, y), expected) << why;
}

TEST(SimAccessibility, ReadsAnswerAsTheSceneSaysAndFailWithThePlatformCodes) {
    auto desktop = test::desktopFromJson(scene);
    auto& ax = desktop->accessibility();
    // The tree, the applications, then every kind of value of "e", where "attributes" replaces
    // what the other keys give.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"e", "AXParent", "app:40"},
        {"group", "AXChildren", "[button under over]"},
        {"button", "AXChildren", "error -25205"},
        {"app:30", "AXTitle", "error -25212"},
        {"app:1000", "AXTitle", "Vantrel"},
        {"app:10", "AXParent", "error -25205"},
        {"app:20", "AXWindows", "[hidden w2]"},
        {"app:20", "AXFocusedWindow", "w2"},
        {"app:30", "AXWindows", "[]"},
        {"app:30", "AXFocusedWindow", "error -25212"},
        {"app:40", "AXRole", "error -25204"},
        {"nobody", "AXRole", "error -25202"},
        {"system", "AXRole", "AXSystemWide"},
        {"e", "AXTitle", "12.5"},
        {"e", "AXDescription", "attributed Find"},
        {"e", "AXValue", "no value"},
        {"e", "AXIdentifier", "other <AXValue 0x1>"},
        {"e", "AXFocused", "0"},
        {"e", "AXSize", "size 5,6"},
        {"e", "AXSubrole", "AXSearchField"},
        {"e", "AXAnchor", "point 7,8"},
        {"e", "AXHelp", "error -25204"},
        {"e", "AXChildren", "error -25201"},
        {"inf", "AXPosition", "point nan,inf"},
        {"inf", "AXSize", "size -inf,4"}};
    for (const auto& [element, attribute, expected] : cases)
        EXPECT_EQ(read(ax, element, attribute), expected) << element << " " << attribute;
}

// A fault a test puts in hits only the element and the attribute it names: a sim that failed
// more reads would hide which read the code under test depends on.
TEST(SimAccessibility, AnInjectedFaultHitsOnlyItsElementAndAttribute) {
    auto desktop = test::desktopFromJson(scene);
    auto& ax = desktop->accessibility();
    ax.failReads(ax.element("group"), "AXChildren", SimAccessibility::cannotComplete);
    EXPECT_EQ(read(ax, "group", "AXChildren"), "error -25204");
    EXPECT_EQ(read(ax, "group", "AXParent"), "w1");
    EXPECT_EQ(read(ax, "w1", "AXChildren"), "[group noFrame]");
}

// An element listed as its own descendant, and a reference to an element written later: reads
// and hit-tests must still end, and a reference does not re-parent its target.
TEST(SimAccessibility, ReferencesShareElementsAndCyclesTerminate) {
    auto desktop = test::desktopFromJson(test::sceneWithAx(R"({"id": "root",
        "frame": [0, 0, 100, 100], "children": [{"id": "a", "frame": [0, 0, 50, 50],
          "children": [{"ref": "root"}, {"ref": "later"}, {"ref": "a"}]},
          {"id": "later", "frame": [60, 60, 10, 10]}]})"));
    auto& ax = desktop->accessibility();
    EXPECT_EQ(hit(ax, 10, 10), "a");
    EXPECT_EQ(read(ax, "a", "AXChildren"), "[root later a]");
    EXPECT_EQ(read(ax, "root", "AXParent"), "app:10");
    EXPECT_EQ(read(ax, "later", "AXParent"), "root");
}

} // namespace
} // namespace vantrel
