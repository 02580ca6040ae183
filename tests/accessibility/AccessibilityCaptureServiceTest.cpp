#include "AccessibilityTestSupport.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

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

// Groups of leaves, every element with the full set of attributes a node can read.
QJsonObject largeWindow(int groups, int leavesPerGroup) {
    const auto full = [](QJsonObject node, int x) {
        node.insert("title", "T");
        node.insert("description", "D");
        node.insert("value", "V");
        node.insert("frame", QJsonArray{100 + x, 100, 10, 10});
        node.insert("enabled", true);
        node.insert("focused", false);
        return node;
    };
    QJsonArray groupNodes;
    for (int g = 0; g < groups; ++g) {
        QJsonArray leaves;
        for (int l = 0; l < leavesPerGroup; ++l)
            leaves.append(full(leaf("AXButton", QStringLiteral("g%1.%2").arg(g).arg(l)), l * 12));
        groupNodes.append(
            withChildren(full(leaf("AXGroup", QStringLiteral("g%1").arg(g)), 0), leaves));
    }
    QJsonObject window = withChildren(full(leaf("AXWindow", "win"), 0), groupNodes);
    window.insert("frame", QJsonArray{100, 60, 900, 600});
    return window;
}

// Bottom-left point over the top-left point (x, y) of the 1440 × 900 screen.
QPointF over(double x, double y) {
    return {x, 900 - y};
}

} // namespace

TEST(AccessibilityCaptureService, ChildrenAreCutByTheChildLimitThenByTheSharedBudget) {
    struct Case {
        int maxNodes;
        int keptChildren;
    };
    for (const Case c : {Case{120, 24}, Case{25, 24}, Case{11, 10}, Case{2, 1}, Case{1, 0}}) {
        CaptureHarness harness(sceneWith(windowWithLeaves(30)));
        int counter = 0;
        const SnapshotNode node =
            harness.service.serialize(harness.element("win"), 0, counter, std::nullopt, c.maxNodes);
        QStringList expected;
        for (int i = 0; i < c.keptChildren; ++i)
            expected.append(QStringLiteral("c%1").arg(i));
        EXPECT_EQ(childIdentifiers(node), expected) << "maxNodes " << c.maxNodes;
        EXPECT_EQ(node.contains("children"), c.keptChildren > 0) << "maxNodes " << c.maxNodes;
        EXPECT_EQ(counter, 1 + c.keptChildren);
    }
}

TEST(AccessibilityCaptureService, EarlySubtreesUseUpTheBudgetAndDepthStopsAtTheLimit) {
    CaptureHarness harness(sceneWith(largeWindow(3, 5)));
    int counter = 0;
    const SnapshotNode budgeted =
        harness.service.serialize(harness.element("win"), 0, counter, std::nullopt, 4);
    EXPECT_EQ(childIdentifiers(budgeted), QStringList{"g0"});
    EXPECT_EQ(childIdentifiers(budgeted["children"].toList().first().toMap()),
              (QStringList{"g0.0", "g0.1"}));

    QJsonObject chain = leaf("AXGroup", "level7");
    for (int level = 6; level >= 0; --level)
        chain = withChildren(leaf("AXGroup", QStringLiteral("level%1").arg(level)), {chain});
    CaptureHarness deep(sceneWith(chain));
    counter = 0;
    const SnapshotNode limited = deep.service.serialize(deep.element("level0"), 0, counter);
    EXPECT_EQ(deepestLevel(limited), 4);
    EXPECT_EQ(AccessibilityCaptureService::nodeCount(limited), 5);
}

TEST(AccessibilityCaptureService, ALargeWindowYieldsExactlyTheNodeLimit) {
    CaptureHarness harness(sceneWith(largeWindow(10, 20)));
    const CapturedAccessibility record =
        harness.service.captureUnderMouse(over(105, 105), {}, true);
    EXPECT_EQ(record.nodeCount, 120);
    const SnapshotNode tree =
        readJson(record.fileURL.toLocalFile())["tree"].toObject().toVariantMap();
    EXPECT_EQ(AccessibilityCaptureService::nodeCount(tree), 120);
}

TEST(AccessibilityCaptureService, EachNodeCostsAtMostTenReadsAndTwoMorePerChildWithAnArea) {
    CaptureHarness harness(sceneWith(largeWindow(4, 6)));
    const QList<std::optional<QRectF>> areas{std::nullopt, QRectF(90, 50, 1000, 700)};
    for (const auto& area : areas) {
        harness.ax().resetCounts();
        int counter = 0;
        harness.service.serialize(harness.element("win"), 0, counter, 6, 240, area);
        const int allowed = area ? 12 : 10;
        for (const QString& id : QStringList{"win", "g0", "g3", "g0.0", "g3.5"})
            EXPECT_LE(harness.ax().readCount(harness.element(id)), allowed) << id.toStdString();
        EXPECT_GE(harness.ax().readCount(harness.element("g3.5")), 9) << "a leaf is read fully";
    }
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

TEST(AccessibilityCaptureService, ALeafIsReadAgainAfterAPauseAndKeptWhenStillALeaf) {
    const QJsonObject button{{"role", "AXButton"},
                             {"id", "send"},
                             {"title", "Send"},
                             {"frame", QJsonArray{120, 100, 80, 30}}};
    CaptureHarness harness(sceneWith(withChildren(leaf("AXWindow", "win"), {button})));
    // A title that vanishes during the pause shows which read was kept.
    harness.clock.onBlockingSleep = [&] {
        harness.ax().failReads(harness.element("send"), "AXTitle", SimAccessibility::noValue);
    };
    const CapturedAccessibility record =
        harness.service.captureUnderMouse(over(130, 110), {}, false);
    EXPECT_EQ(harness.clock.requestedSleeps(), QList<std::chrono::milliseconds>{150ms});
    const QJsonObject tree = readJson(record.fileURL.toLocalFile())["tree"].toObject();
    EXPECT_EQ(tree["title"].toString(), "Send");
    EXPECT_EQ(readJson(record.fileURL.toLocalFile())["capturedAt"].toString(),
              "2026-01-31T09:15:02Z")
        << "whole seconds, although the pause moved the clock on";
    EXPECT_FALSE(tree.contains("children"));
    EXPECT_EQ(record.nodeCount, 1);
}

TEST(AccessibilityCaptureService, TheSecondReadReplacesTheFirstOnlyWhenItFindsChildren) {
    const QJsonObject group = withChildren(
        QJsonObject{{"role", "AXGroup"}, {"id", "lazy"}, {"frame", QJsonArray{120, 100, 200, 200}}},
        {leaf("AXButton", "late")});
    CaptureHarness harness(sceneWith(withChildren(leaf("AXWindow", "win"), {group})));
    harness.ax().failReads(harness.element("lazy"), "AXChildren", SimAccessibility::cannotComplete);
    harness.clock.onBlockingSleep = [&] { harness.ax().clearReadFaults(); };
    const CapturedAccessibility record =
        harness.service.captureUnderMouse(over(130, 110), {}, false);
    EXPECT_EQ(record.nodeCount, 2);

    CaptureHarness parent(sceneWith(withChildren(leaf("AXWindow", "win"), {group})));
    parent.service.captureUnderMouse(over(130, 110), {}, false);
    EXPECT_TRUE(parent.clock.requestedSleeps().isEmpty()) << "children found at once: no pause";
}

TEST(AccessibilityCaptureService, ATreeThatListsItsAncestorsAsChildrenStaysWithinTheLimits) {
    QJsonArray loops;
    for (int i = 0; i < 30; ++i)
        loops.append(QJsonObject{{"ref", i % 2 ? "win" : "loop"}});
    const QJsonObject loop = withChildren(leaf("AXGroup", "loop"), loops);
    CaptureHarness harness(sceneWith(withChildren(leaf("AXWindow", "win"), {loop})));
    const CapturedAccessibility record =
        harness.service.captureUnderMouse(over(500, 500), {}, true);
    const SnapshotNode tree =
        readJson(record.fileURL.toLocalFile())["tree"].toObject().toVariantMap();
    EXPECT_EQ(record.nodeCount, 120);
    EXPECT_LE(deepestLevel(tree), 4);
}

TEST(AccessibilityCaptureService, TheRootIsTheFrontWindowOnlyWhenAskedAndAnotherAppIsInFront) {
    QJsonObject button = leaf("AXButton", "b");
    button.insert("frame", QJsonArray{120, 100, 80, 30});
    const QByteArray scene = sceneWith(withChildren(leaf("AXWindow", "win"), {button}));
    struct Case {
        const char* name;
        bool preferFront;
        std::optional<qint32> frontmost;
        QString rootIdentifier;
    };
    for (const Case& c : {Case{"cursor", false, 501, "b"}, Case{"front window", true, 501, "win"},
                          Case{"ourselves in front", true, 502, "b"},
                          Case{"nobody in front", true, std::nullopt, "b"}}) {
        CaptureHarness harness(scene);
        harness.desktop->setFrontmost(c.frontmost == 502 ? harness.desktop->scene().self.pid
                                                         : c.frontmost);
        const auto record = harness.service.captureUnderMouse(over(130, 110), {}, c.preferFront);
        const QJsonObject tree = readJson(record.fileURL.toLocalFile())["tree"].toObject();
        EXPECT_EQ(tree["identifier"].toString(), c.rootIdentifier) << c.name;
    }
}

TEST(AccessibilityCaptureService, FailuresThrowTheirTypedErrorAndLeaveNoFile) {
    const QJsonObject button{
        {"role", "AXButton"}, {"id", "b"}, {"frame", QJsonArray{120, 100, 80, 30}}};
    const QJsonObject broken{{"role", "AXButton"}, {"frame", QJsonArray{"NaN", 100, 80, 30}}};
    const QJsonObject infinite{{"role", "AXButton"},
                               {"frame", QJsonArray{120, 100, "Infinity", 30}}};
    using Code = AccessibilityCaptureError::Code;
    struct Case {
        const char* name;
        QByteArray scene;
        QPointF point;
        Code code;
        QString description;
    };
    const QString denied = "Vantrel needs Accessibility access. Enable it in System Settings → "
                           "Privacy & Security → Accessibility.";
    const QList<Case> cases{
        {"not trusted",
         sceneWith(leaf("AXWindow", "w"), {{"permissions", QJsonObject{{"accessibility", false}}}}),
         over(130, 110), Code::permissionDenied, denied},
        {"not trusted, no bundle name",
         sceneWith(leaf("AXWindow", "w"), {{"permissions", QJsonObject{{"accessibility", false}}},
                                           {"bundleName", QJsonValue::Null}}),
         over(130, 110), Code::permissionDenied, QString(denied).replace("Vantrel", "This app")},
        {"empty desktop", sceneWith(leaf("AXWindow", "w")), over(1300, 800), Code::noElement,
         "No accessibility element found under the cursor."},
        {"non-finite origin", sceneWith(withChildren(leaf("AXWindow", "w"), {button, broken})),
         over(130, 110), Code::serializationFailed, "Could not serialize the accessibility tree."},
        {"infinite width", sceneWith(withChildren(leaf("AXWindow", "w"), {infinite})),
         over(130, 110), Code::serializationFailed, "Could not serialize the accessibility tree."},
    };
    for (const Case& c : cases) {
        CaptureHarness harness(c.scene);
        try {
            harness.service.captureUnderMouse(c.point, {}, c.code == Code::serializationFailed);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const AccessibilityCaptureError& error) {
            EXPECT_EQ(error.code, c.code) << c.name;
            EXPECT_EQ(error.localizedDescription(), c.description) << c.name;
        }
        EXPECT_EQ(harness.files(), QStringList{}) << c.name;
    }
}

TEST(AccessibilityCaptureService, AFailedWriteLeavesNothingUnderTheFinalName) {
    const QByteArray scene = sceneWith(leaf("AXWindow", "w"));
    QTemporaryDir parent;
    const QString blocker = parent.filePath("blocker");
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    struct Case {
        const char* name;
        QString folder;
        bool removeAfterStart;
    };
    for (const Case& c : {Case{"folder is a file", blocker, false},
                          Case{"folder vanished", parent.filePath("gone"), true}}) {
        CaptureHarness harness(scene, {}, c.folder);
        if (c.removeAfterStart) {
            ASSERT_TRUE(QDir(c.folder).removeRecursively());
        }
        try {
            harness.service.captureUnderMouse(over(500, 500), {}, true);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const AccessibilityCaptureError& error) {
            EXPECT_EQ(error.code, AccessibilityCaptureError::Code::writeFailed) << c.name;
        }
        EXPECT_EQ(
            QDir(parent.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{"blocker"})
            << c.name;
        EXPECT_EQ(QFileInfo(blocker).size(), 0) << c.name;
    }
}

TEST(AccessibilityCaptureService, SnapshotFilesAreNamedFromTheSecondsAndEightHexDigits) {
    CaptureHarness harness(sceneWith(leaf("AXWindow", "w")));
    const auto first = harness.service.captureUnderMouse(over(500, 500), {}, true);
    const auto second = harness.service.captureUnderMouse(over(500, 500), {}, true);
    const QRegularExpression pattern("^ax-(\\d+)-[0-9A-F]{8}\\.json$");
    for (const auto& record : {first, second}) {
        const QFileInfo info(record.fileURL.toLocalFile());
        const auto match = pattern.match(info.fileName());
        ASSERT_TRUE(match.hasMatch()) << info.fileName().toStdString();
        EXPECT_EQ(match.captured(1).toLongLong(), harness.clock.now().toSecsSinceEpoch());
        EXPECT_EQ(info.absolutePath(), QDir(harness.folder.path()).absolutePath());
    }
    EXPECT_EQ(harness.files().size(), 2) << "earlier snapshots stay";
}

TEST(AccessibilityCaptureService, TheDefaultFolderIsPrivateAndNamedAfterTheBundleIdentifier) {
    // A caches folder of its own, so folders other tests made first cannot hide the mode.
    QTemporaryDir cachesDir;
    const QByteArray previous = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", cachesDir.path().toUtf8());
    const auto restore = qScopeGuard([&] { qputenv("XDG_CACHE_HOME", previous); });
    const QString caches = cachesDir.path();
    const QList<std::pair<QJsonValue, QString>> cases{
        {QJsonValue::Undefined, "Vantrel"},
        {QJsonValue::Null, "Vantrel"},
        {"com.example.Clipper.", "Clipper"},
    };
    for (const auto& [identifier, folder] : cases) {
        QJsonObject extra;
        if (!identifier.isUndefined())
            extra.insert("bundleIdentifier", identifier);
        auto desktop = std::make_unique<SimDesktop>(
            SceneLoader::fromJson(sceneWith(leaf("AXWindow", "w"), extra)));
        const Platform platform = desktop->platform();
        NotificationCenter center;
        VirtualClock clock;
        SystemPermissionsService permissions(platform, center, clock);
        AccessibilityCaptureService service(platform, permissions, clock, 4, 120, 24);
        const QString expected = caches + "/" + folder + "/accessibility";
        EXPECT_EQ(service.outputDirectory(), expected);
        const auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        for (const QString& path : {caches + "/" + folder, expected})
            EXPECT_EQ(QFileInfo(path).permissions() &
                          ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                      owner)
                << path.toStdString();
        const auto record = service.captureUnderMouse(over(500, 500), {}, true);
        EXPECT_EQ(QFileInfo(record.fileURL.toLocalFile()).absolutePath(), expected);
    }
}
