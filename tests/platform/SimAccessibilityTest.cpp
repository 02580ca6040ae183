#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vantrel {
namespace {

// Front to back: an off-screen window over everything, a window without accessibility, window 1
// with a group holding a button and two overlapping labels, and window 2 partly behind window 1.
const char* const hitScene = R"({
    "apps": [{"pid": 10, "name": "Front"}, {"pid": 20, "name": "Back"}, {"pid": 30, "name": "Opaque"}],
    "windows": [
      {"id": 9, "pid": 20, "bounds": [0, 0, 2000, 2000], "onScreen": false,
       "ax": {"id": "hidden", "frame": [0, 0, 2000, 2000]}},
      {"id": 3, "pid": 30, "bounds": [600, 0, 100, 100]},
      {"id": 1, "pid": 10, "bounds": [0, 0, 400, 300],
       "ax": {"id": "w1", "role": "AXWindow", "frame": [0, 0, 400, 300], "children": [
         {"id": "group", "role": "AXGroup", "frame": [10, 40, 200, 200], "children": [
           {"id": "button", "role": "AXButton", "frame": [20, 50, 80, 30]},
           {"id": "under", "role": "AXStaticText", "frame": [20, 100, 100, 40]},
           {"id": "over", "role": "AXStaticText", "frame": [60, 100, 100, 40]}]},
         {"id": "noFrame", "role": "AXGroup"}]}},
      {"id": 2, "pid": 20, "bounds": [200, 100, 400, 300],
       "ax": {"id": "w2", "role": "AXWindow", "frame": [200, 100, 400, 300], "children": [
         {"id": "field", "role": "AXTextField", "frame": [420, 300, 100, 30]}]}}
    ]})";

struct HitCase {
    const char* name;
    float x;
    float y;
    const char* expected; // scene id, or nullptr for nothing
};

class SimHitTest : public ::testing::TestWithParam<HitCase> {};

TEST_P(SimHitTest, FindsTheDeepestElementOfTheFrontmostWindow) {
    auto desktop = test::desktopFromJson(hitScene);
    auto& ax = desktop->accessibility();
    const auto hit = ax.elementAtPosition(ax.systemWideElement(), GetParam().x, GetParam().y);
    if (GetParam().expected == nullptr) {
        EXPECT_FALSE(hit);
        return;
    }
    ASSERT_TRUE(hit);
    EXPECT_EQ(*hit, ax.element(GetParam().expected)) << ax.sceneElement(*hit)->path.toStdString();
}

const HitCase hitCases[] = {
    {"DeepestLeaf", 30, 60, "button"},
    {"GroupOutsideItsChildren", 15, 45, "group"},
    {"WindowRootOutsideEveryChild", 5, 5, "w1"},
    {"LaterSiblingIsOnTop", 80, 120, "over"},
    {"EarlierSiblingWhereAlone", 30, 120, "under"},
    {"FrontWindowHidesTheOneBehind", 350, 250, "w1"},
    {"RightEdgeBelongsToTheNextWindow", 400, 150, "w2"},
    {"BackWindowWhereUncovered", 450, 310, "field"},
    {"WindowWithoutAccessibilityGivesNothing", 650, 50, nullptr},
    {"OffScreenWindowsAreIgnored", 1500, 1500, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Sim, SimHitTest, ::testing::ValuesIn(hitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SimAccessibility, UntrustedProcessGetsNothing) {
    auto desktop = test::desktopFromJson(hitScene);
    auto& ax = desktop->accessibility();
    desktop->setAccessibilityTrusted(false);
    EXPECT_FALSE(ax.isProcessTrusted());
    EXPECT_FALSE(ax.elementAtPosition(ax.systemWideElement(), 30, 60));
    EXPECT_EQ(ax.copyAttributeValue(ax.element("button"), "AXRole").error,
              SimAccessibility::apiDisabled);
    ax.promptForTrust();
    EXPECT_EQ(ax.trustPromptCount(), 1);
    EXPECT_FALSE(ax.isProcessTrusted()) << "the prompt's answer is not reported";
    desktop->setAccessibilityTrusted(true);
    EXPECT_TRUE(ax.elementAtPosition(ax.systemWideElement(), 30, 60));
}

TEST(SimAccessibility, HitTestOnlyFromTheSystemWideElement) {
    auto desktop = test::desktopFromJson(hitScene);
    auto& ax = desktop->accessibility();
    EXPECT_FALSE(ax.elementAtPosition(ax.applicationElement(10), 30, 60));
    ax.setHitTestFails(true);
    EXPECT_FALSE(ax.elementAtPosition(ax.systemWideElement(), 30, 60));
    EXPECT_EQ(ax.hitTestCount(), 2);
}

AXElement elementValue(const AXReadResult& read) {
    const auto* element = std::get_if<AXElement>(&read.value);
    return read.succeeded() && element ? *element : AXElement{};
}

QList<AXElement> listValue(const AXReadResult& read) {
    const auto* list = std::get_if<QList<AXElement>>(&read.value);
    return read.succeeded() && list ? *list : QList<AXElement>{};
}

TEST(SimAccessibility, ParentsLeadUpToTheApplication) {
    auto desktop = test::desktopFromJson(hitScene);
    auto& ax = desktop->accessibility();
    EXPECT_EQ(elementValue(ax.copyAttributeValue(ax.element("button"), "AXParent")),
              ax.element("group"));
    EXPECT_EQ(elementValue(ax.copyAttributeValue(ax.element("group"), "AXParent")),
              ax.element("w1"));
    const AXElement app = elementValue(ax.copyAttributeValue(ax.element("w1"), "AXParent"));
    EXPECT_EQ(app, ax.applicationElement(10));
    EXPECT_EQ(std::get<QString>(ax.copyAttributeValue(app, "AXRole").value), "AXApplication");
    EXPECT_EQ(std::get<QString>(ax.copyAttributeValue(app, "AXTitle").value), "Front");
    EXPECT_FALSE(ax.copyAttributeValue(app, "AXParent").succeeded());
}

TEST(SimAccessibility, ApplicationWindowsAndFocusedWindow) {
    auto desktop = test::desktopFromJson(hitScene);
    auto& ax = desktop->accessibility();
    const AXElement back = ax.applicationElement(20);
    EXPECT_EQ(listValue(ax.copyAttributeValue(back, "AXWindows")),
              (QList<AXElement>{ax.element("hidden"), ax.element("w2")}))
        << "every window with accessibility, in list order, on screen or not";
    EXPECT_EQ(elementValue(ax.copyAttributeValue(back, "AXFocusedWindow")), ax.element("w2"))
        << "the front-most on-screen one";

    const AXElement opaque = ax.applicationElement(30);
    const AXReadResult windows = ax.copyAttributeValue(opaque, "AXWindows");
    EXPECT_TRUE(windows.succeeded());
    EXPECT_TRUE(listValue(windows).isEmpty());
    EXPECT_EQ(ax.copyAttributeValue(opaque, "AXFocusedWindow").error, SimAccessibility::noValue);

    const AXElement stranger = ax.applicationElement(4242);
    EXPECT_EQ(ax.copyAttributeValue(stranger, "AXWindows").error, SimAccessibility::cannotComplete);
}

TEST(SimAccessibility, ChildrenInOrderAndAbsentWithoutTheKey) {
    auto desktop = test::desktopFromJson(hitScene);
    auto& ax = desktop->accessibility();
    EXPECT_EQ(listValue(ax.copyAttributeValue(ax.element("group"), "AXChildren")),
              (QList<AXElement>{ax.element("button"), ax.element("under"), ax.element("over")}));
    EXPECT_EQ(ax.copyAttributeValue(ax.element("button"), "AXChildren").error,
              SimAccessibility::attributeUnsupported);
    EXPECT_EQ(ax.copyAttributeValue(AXElement{}, "AXRole").error, SimAccessibility::invalidElement);
}

const char* const valueScene = R"({"windows": [{"id": 1, "pid": 1, "bounds": [0, 0, 10, 10],
    "ax": {"id": "e", "role": "AXTextField", "value": null, "description": {"attributed": "Find"},
           "identifier": {"other": "<AXValue 0x1>"}, "title": 12.5, "enabled": true,
           "focused": false, "frame": ["NaN", 2, "Infinity", 4],
           "attributes": {"AXSubrole": "AXSearchField", "AXSize": {"other": "CGSize?"},
                          "AXEnabled": {"error": -25204}, "AXAnchor": {"point": [3, 4]}}}}]})";

struct ValueCase {
    const char* attribute;
    int error;
    AXValue value;
};

class SimValueKinds : public ::testing::TestWithParam<ValueCase> {};

TEST_P(SimValueKinds, ReachTheSeamAsTheSceneSpellsThem) {
    auto desktop = test::desktopFromJson(valueScene);
    auto& ax = desktop->accessibility();
    const AXReadResult read = ax.copyAttributeValue(ax.element("e"), GetParam().attribute);
    EXPECT_EQ(read.error, GetParam().error);
    if (GetParam().error == 0) {
        EXPECT_EQ(read.value, GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sim, SimValueKinds,
    ::testing::Values(ValueCase{"AXRole", 0, QStringLiteral("AXTextField")},
                      ValueCase{"AXValue", 0, AXNoValue{}},
                      ValueCase{"AXDescription", 0, AXAttributedString{"Find"}},
                      ValueCase{"AXIdentifier", 0, AXOtherValue{"<AXValue 0x1>"}},
                      ValueCase{"AXTitle", 0, 12.5}, ValueCase{"AXFocused", 0, 0.0},
                      ValueCase{"AXSubrole", 0, QStringLiteral("AXSearchField")},
                      ValueCase{"AXSize", 0, AXOtherValue{"CGSize?"}},
                      ValueCase{"AXAnchor", 0, AXPointValue{QPointF(3, 4)}},
                      ValueCase{"AXEnabled", -25204, AXNoValue{}},
                      ValueCase{"AXHelp", SimAccessibility::attributeUnsupported, AXNoValue{}}),
    [](const auto& info) { return std::string(info.param.attribute); });

TEST(SimAccessibility, SpecialFrameNumbersReachThePosition) {
    auto desktop = test::desktopFromJson(valueScene);
    auto& ax = desktop->accessibility();
    const auto position = unpackPoint(ax.copyAttributeValue(ax.element("e"), "AXPosition").value);
    ASSERT_TRUE(position);
    EXPECT_TRUE(std::isnan(position->x()));
    EXPECT_EQ(position->y(), 2);
}

TEST(SimAccessibility, BooleansArriveAsNumbers) {
    auto desktop = test::desktopFromJson(R"({"windows": [{"id": 1, "pid": 1, "bounds": [0, 0, 9, 9],
        "ax": {"id": "e", "enabled": true, "focused": 0.5}}]})");
    auto& ax = desktop->accessibility();
    EXPECT_EQ(ax.copyAttributeValue(ax.element("e"), "AXEnabled").value, AXValue(1.0));
    EXPECT_EQ(ax.copyAttributeValue(ax.element("e"), "AXFocused").value, AXValue(0.5));
}

// An element listed as its own descendant: reads and hit-tests must still end.
TEST(SimAccessibility, CyclicTreesTerminate) {
    auto desktop =
        test::desktopFromJson(R"({"windows": [{"id": 1, "pid": 1, "bounds": [0, 0, 100, 100],
        "ax": {"id": "root", "frame": [0, 0, 100, 100], "children": [
          {"id": "a", "frame": [0, 0, 50, 50], "children": [{"ref": "root"}, {"ref": "a"}]}]}}]})");
    auto& ax = desktop->accessibility();
    const auto hit = ax.elementAtPosition(ax.systemWideElement(), 10, 10);
    ASSERT_TRUE(hit);
    EXPECT_EQ(*hit, ax.element("a"));
    EXPECT_EQ(listValue(ax.copyAttributeValue(ax.element("a"), "AXChildren")),
              (QList<AXElement>{ax.element("root"), ax.element("a")}));
    EXPECT_EQ(elementValue(ax.copyAttributeValue(ax.element("root"), "AXParent")),
              ax.applicationElement(1));
}

TEST(SimAccessibility, CountsReadsPerElement) {
    auto desktop = test::desktopFromJson(hitScene);
    auto& ax = desktop->accessibility();
    const AXElement button = ax.element("button");
    for (const char* attribute : {"AXRole", "AXTitle", "AXFrame"})
        ax.copyAttributeValue(button, attribute);
    ax.copyAttributeValue(ax.element("group"), "AXRole");
    EXPECT_EQ(ax.readCount(button), 3);
    EXPECT_EQ(ax.readCount(ax.element("group")), 1);
    EXPECT_EQ(ax.readCount(), 4);
    ax.resetCounts();
    EXPECT_EQ(ax.readCount(), 0);
    EXPECT_EQ(ax.readCount(button), 0);
}

TEST(SimAccessibility, InjectedFaultsHitOnlyWhatTheyName) {
    auto desktop = test::desktopFromJson(hitScene);
    auto& ax = desktop->accessibility();
    ax.failReads(ax.element("group"), "AXChildren", -25201);
    ax.failReads(AXElement{}, "AXParent", -25204);
    EXPECT_EQ(ax.copyAttributeValue(ax.element("group"), "AXChildren").error, -25201);
    EXPECT_TRUE(ax.copyAttributeValue(ax.element("group"), "AXRole").succeeded());
    EXPECT_TRUE(ax.copyAttributeValue(ax.element("w1"), "AXChildren").succeeded());
    EXPECT_EQ(ax.copyAttributeValue(ax.element("button"), "AXParent").error, -25204);
    ax.clearReadFaults();
    EXPECT_TRUE(ax.copyAttributeValue(ax.element("group"), "AXChildren").succeeded());
}

} // namespace
} // namespace vantrel
