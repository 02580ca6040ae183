#include "AccessibilityTestSupport.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::test;
using namespace std::chrono_literals;

namespace {

QJsonObject windowWithLeaves(int count) {
    QJsonArray children;
    for (int i = 0; i < count; ++i)
        children.append(leaf("AXButton", QStringLiteral("c%1").arg(i)));
    return withChildren(leaf("AXWindow", "win"), children);
}

// A window of groups of leaves, with ids "g0", "g0.0", "g0.1" ...
QJsonObject largeWindow(int groups, int leavesPerGroup) {
    QJsonArray groupNodes;
    for (int g = 0; g < groups; ++g) {
        QJsonArray leaves;
        for (int l = 0; l < leavesPerGroup; ++l)
            leaves.append(leaf("AXButton", QStringLiteral("g%1.%2").arg(g).arg(l)));
        groupNodes.append(withChildren(leaf("AXGroup", QStringLiteral("g%1").arg(g)), leaves));
    }
    return withChildren(leaf("AXWindow", "win"), groupNodes);
}

// Bottom-left point over the top-left point (x, y) of the 1440 × 900 screen.
QPointF over(double x, double y) {
    return {x, 900 - y};
}

} // namespace

TEST(AccessibilityCaptureService, ChildrenAreCutByTheChildLimitThenByTheSharedBudget) {
    const std::pair<int, int> cases[] = {{120, 24}, {25, 24}, {11, 10}, {2, 1}, {1, 0}};
    for (const auto& [maxNodes, keptChildren] : cases) {
        SCOPED_TRACE(maxNodes);
        CaptureHarness harness(sceneWith(windowWithLeaves(30)));
        int counter = 0;
        const SnapshotNode node =
            harness.service.serialize(harness.element("win"), 0, counter, std::nullopt, maxNodes);
        QStringList expected;
        for (int i = 0; i < keptChildren; ++i)
            expected.append(QStringLiteral("c%1").arg(i));
        EXPECT_EQ(childIdentifiers(node), expected);
        EXPECT_EQ(node.contains("children"), keptChildren > 0);
        EXPECT_EQ(counter, 1 + keptChildren);
    }
}

TEST(AccessibilityCaptureService, EarlySubtreesUseUpTheBudget) {
    CaptureHarness harness(sceneWith(largeWindow(3, 5)));
    int counter = 0;
    const SnapshotNode budgeted =
        harness.service.serialize(harness.element("win"), 0, counter, std::nullopt, 4);
    EXPECT_EQ(childIdentifiers(budgeted), QStringList{"g0"});
    EXPECT_EQ(childIdentifiers(budgeted["children"].toList().first().toMap()),
              (QStringList{"g0.0", "g0.1"}));
}

TEST(AccessibilityCaptureService, EmptyTextsAreLeftOutButAnEmptyValueIsKept) {
    const QJsonObject field{{"role", "AXTextField"}, {"id", "f"},        {"title", ""},
                            {"description", ""},     {"identifier", ""}, {"value", ""}};
    const QJsonObject nil{{"role", "AXStaticText"}, {"id", "n"}, {"value", QJsonValue::Null}};
    const QJsonObject bare{{"id", "b"}};
    CaptureHarness harness(sceneWith(withChildren(leaf("AXWindow", "win"), {field, nil, bare})));
    const QList<std::pair<QString, SnapshotNode>> cases{
        {"f", {{"role", "AXTextField"}, {"value", ""}}},
        {"n", {{"role", "AXStaticText"}, {"value", "nil"}}},
        {"b", {{"role", "unknown"}}},
    };
    for (const auto& [id, expected] : cases) {
        int counter = 0;
        EXPECT_EQ(harness.service.serialize(harness.element(id), 0, counter), expected)
            << id.toStdString();
    }
}

// A root without children is read again after a blocking pause, unless it is a control that has
// none by nature; the second read counts only if it has children.
TEST(AccessibilityCaptureService, AnEmptyRootIsReadAgainUnlessItIsALeafByNature) {
    const struct {
        const char* role;
        bool pauses;
    } roots[] = {{"AXGroup", true},   {"AXWindow", true},          {"AXMenuItem", true},
                 {"AXButton", false}, {"AXTextField", false},      {"AXStaticText", false},
                 {"AXImage", false},  {"AXSecureTextField", false}};
    for (const auto& [role, pauses] : roots) {
        SCOPED_TRACE(role);
        const QJsonObject root{{"role", role},
                               {"id", "root"},
                               {"title", "Kept"},
                               {"frame", QJsonArray{120, 100, 80, 30}}};
        CaptureHarness harness(sceneWith(withChildren(leaf("AXWindow", "win"), {root})));
        // A title that vanishes during the pause shows which read was kept.
        harness.clock.onBlockingSleep = [&] {
            harness.ax().failReads(harness.element("root"), "AXTitle", SimAccessibility::noValue);
        };
        const auto record = harness.service.captureUnderMouse(over(130, 110), {}, false);
        EXPECT_EQ(harness.clock.requestedSleeps(), pauses ? QList<std::chrono::milliseconds>{150ms}
                                                          : QList<std::chrono::milliseconds>{});
        const QJsonObject file = readJson(record.fileURL.toLocalFile());
        EXPECT_EQ(file["tree"].toObject()["title"].toString(), "Kept");
        EXPECT_EQ(file["capturedAt"].toString(), "2026-01-31T09:15:02Z") << "whole seconds";
        EXPECT_EQ(record.nodeCount, 1);
        EXPECT_EQ(record.rootIsLeaf, !pauses);
    }

    const QJsonObject group = withChildren(
        QJsonObject{{"role", "AXGroup"}, {"id", "lazy"}, {"frame", QJsonArray{120, 100, 200, 200}}},
        {leaf("AXButton", "late")});
    CaptureHarness lazy(sceneWith(withChildren(leaf("AXWindow", "win"), {group})));
    lazy.ax().failReads(lazy.element("lazy"), "AXChildren", SimAccessibility::cannotComplete);
    lazy.clock.onBlockingSleep = [&] { lazy.ax().clearReadFaults(); };
    const auto late = lazy.service.captureUnderMouse(over(130, 110), {}, false);
    EXPECT_EQ(late.nodeCount, 2);
    EXPECT_FALSE(late.rootIsLeaf);

    CaptureHarness eager(sceneWith(withChildren(leaf("AXWindow", "win"), {group})));
    eager.service.captureUnderMouse(over(130, 110), {}, false);
    EXPECT_TRUE(eager.clock.requestedSleeps().isEmpty()) << "children found at once: no pause";
}

// A large window, and one that lists its ancestors as children, both stop at exactly 120 nodes.
TEST(AccessibilityCaptureService, LargeAndCyclicTreesYieldExactlyTheNodeLimit) {
    QJsonArray loops;
    for (int i = 0; i < 30; ++i)
        loops.append(QJsonObject{{"ref", i % 2 ? "win" : "loop"}});
    const QJsonObject cyclic =
        withChildren(leaf("AXWindow", "win"), {withChildren(leaf("AXGroup", "loop"), loops)});
    // The cyclic tree reaches the depth limit of 4; the large one is only two levels deep.
    for (const auto& [window, depth] : {std::pair{largeWindow(10, 20), 2}, std::pair{cyclic, 4}}) {
        CaptureHarness harness(sceneWith(window));
        const auto record = harness.service.captureUnderMouse(over(105, 105), {}, true);
        const SnapshotNode tree =
            readJson(record.fileURL.toLocalFile())["tree"].toObject().toVariantMap();
        EXPECT_EQ(record.nodeCount, 120);
        EXPECT_EQ(AccessibilityCaptureService::nodeCount(tree), 120);
        EXPECT_EQ(deepestLevel(tree), depth);
    }
}

TEST(AccessibilityCaptureService, FailuresThrowTheirTypedErrorAndLeaveNoFile) {
    const auto button = [](const QJsonArray& frame) {
        return QJsonObject{{"role", "AXButton"}, {"frame", frame}};
    };
    const QByteArray plain = sceneWith(leaf("AXWindow", "w"));
    const QByteArray broken = sceneWith(withChildren(
        leaf("AXWindow", "w"), {button({120, 100, 80, 30}), button({"NaN", 100, 80, 30})}));
    const QByteArray infinite =
        sceneWith(withChildren(leaf("AXWindow", "w"), {button({120, 100, "Infinity", 30})}));
    const QJsonObject distrusted{{"permissions", QJsonObject{{"accessibility", false}}}};
    using Code = AccessibilityCaptureError::Code;
    QTemporaryDir parent;
    const QString blocker = parent.filePath("blocker");
    QFile(blocker).open(QIODevice::WriteOnly);
    const struct {
        const char* name;
        QByteArray scene;
        QPointF point;
        Code code;
        std::optional<QString> folder = {};
    } cases[] = {
        {"not trusted", sceneWith(leaf("AXWindow", "w"), distrusted), over(130, 110),
         Code::permissionDenied},
        {"empty desktop", plain, over(1300, 800), Code::noElement},
        {"non-finite origin", broken, over(130, 110), Code::serializationFailed},
        {"infinite width", infinite, over(130, 110), Code::serializationFailed},
        {"folder is a file", plain, over(500, 500), Code::writeFailed, blocker},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureHarness harness(c.scene, c.folder);
        try {
            harness.service.captureUnderMouse(c.point, {}, c.code != Code::noElement);
            ADD_FAILURE() << "no error";
        } catch (const AccessibilityCaptureError& error) {
            EXPECT_EQ(error.code, c.code);
            if (c.code == Code::writeFailed) { // which file, and why
                EXPECT_EQ(error.localizedDescription(),
                          "Could not write accessibility snapshot to disk. " + blocker +
                              ": Not a directory");
            }
        }
        EXPECT_EQ(harness.files(), QStringList{});
        EXPECT_EQ(
            QDir(parent.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{"blocker"});
    }
}
