#include "SimTestSupport.h"

#include "platform/sim/SceneError.h"

#include <QDir>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace vantrel {
namespace {

using test::scenePath;

std::string loadError(const QByteArray& json) {
    try {
        SceneLoader::fromJson(json, QStringLiteral("scene.json"));
    } catch (const SceneError& error) {
        return error.message().toStdString();
    }
    return "(loaded)";
}

struct MalformedCase {
    const char* name;
    const char* json;
    const char* message;
};

class SceneMalformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(SceneMalformed, FailsWithOneMessageNamingFilePathAndExpectation) {
    EXPECT_EQ(loadError(GetParam().json), GetParam().message);
}

const MalformedCase malformedCases[] = {
    {"RootNotObject", "[]", "scene.json: expected an object"},
    {"UnknownTopLevelKey", R"({"screen": []})",
     "scene.json: screen: unknown key; expected one of screens, mouse, permissions, frontmost, "
     "apps, windows, self, bundleName, bundleIdentifier, loginItem"},
    {"WindowsNotArray", R"({"windows": {}})", "scene.json: windows: expected an array"},
    {"MissingBounds", R"({"windows": [{"id": 1, "pid": 10}]})",
     "scene.json: windows[0].bounds: missing; expected an array of four numbers"},
    {"MissingWindowId", R"({"windows": [{"pid": 10, "bounds": [0, 0, 1, 1]}]})",
     "scene.json: windows[0].id: missing; expected an integer from 0 to 4294967295"},
    {"BoundsMayNotBeNaN", R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, "NaN", 1]}]})",
     "scene.json: windows[0].bounds: expected an array of four numbers"},
    {"NegativeBounds", R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, -5, 1]}]})",
     "scene.json: windows[0].bounds: expected an array of four numbers with a width and height "
     "of at least 0"},
    {"FractionalPid", R"({"apps": [{"pid": 1.5}]})",
     "scene.json: apps[0].pid: expected an integer from 0 to 2147483647"},
    {"DuplicatePid", R"({"apps": [{"pid": 7}, {"pid": 8}, {"pid": 7}]})",
     "scene.json: apps[2].pid: the pid 7 is already used by apps[0]"},
    {"DuplicateWindowId",
     R"({"windows": [{"id": 3, "pid": 1, "bounds": [0, 0, 1, 1]}, {"id": 3, "pid": 1, "bounds": [0, 0, 1, 1]}]})",
     "scene.json: windows[1].id: the window id 3 is already used by windows[0]"},
    {"NestedFrameTooShort",
     R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": {"children": [{}, {"frame": [1, 2, 3]}]}}]})",
     "scene.json: windows[0].ax.children[1].frame: expected an array of four numbers"},
    {"FrameWithUnknownWord",
     R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": {"frame": [0, 0, "nan", 1]}}]})",
     "scene.json: windows[0].ax.frame: expected an array of four numbers"},
    {"ValueKindArray",
     R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": {"title": ["a"]}}]})",
     "scene.json: windows[0].ax.title: expected a string, number, boolean, null or an object with "
     "one of the keys attributed, other, point, size, error"},
    {"ValueKindEmptyObject",
     R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": {"value": {}}}]})",
     "scene.json: windows[0].ax.value: expected a string, number, boolean, null or an object with "
     "one of the keys attributed, other, point, size, error"},
    {"ValueKindUnknown",
     R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": {"value": {"colour": "red"}}}]})",
     "scene.json: windows[0].ax.value.colour: unknown key; expected one of attributed, other, "
     "point, size, error"},
    {"AttributedNotText",
     R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": {"children": [{"title": {"attributed": 5}}]}}]})",
     "scene.json: windows[0].ax.children[0].title.attributed: expected a string"},
    {"ErrorCodeZero",
     R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": {"attributes": {"AXRole": {"error": 0}}}}]})",
     "scene.json: windows[0].ax.attributes.AXRole.error: expected a non-zero error code"},
    {"UnknownElementKey",
     R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": {"label": "x"}}]})",
     "scene.json: windows[0].ax.label: unknown key; expected one of id, role, title, description, "
     "value, identifier, frame, enabled, focused, children, attributes"},
    {"UnknownRef",
     R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": {"id": "root", "children": [{"ref": "root"}, {"ref": "nope"}]}}]})",
     "scene.json: windows[0].ax.children[1].ref: no element has the id \"nope\""},
    {"RefWithExtraKey",
     R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": {"id": "root", "children": [{"ref": "root", "role": "AXButton"}]}}]})",
     "scene.json: windows[0].ax.children[0].role: unknown key; expected one of ref"},
    {"DuplicateElementId",
     R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, 100, 100], "ax": {"id": "a", "children": [{"id": "a"}]}}]})",
     "scene.json: windows[0].ax.children[0].id: the id \"a\" is already used at windows[0].ax"},
    {"FrontmostUnknown", R"({"apps": [{"pid": 5}], "frontmost": 6})",
     "scene.json: frontmost: no application has the pid 6"},
    {"SelfPidTaken", R"({"apps": [{"pid": 5}], "self": {"pid": 5}})",
     "scene.json: self.pid: the pid 5 is already used by apps[0]"},
    {"ZeroScale", R"({"screens": [{"frame": [0, 0, 10, 10], "scale": 0}]})",
     "scene.json: screens[0].scale: expected a positive number"},
    {"MissingScreenFrame", R"({"screens": [{"scale": 2}]})",
     "scene.json: screens[0].frame: missing; expected an array of four numbers"},
    {"NegativeScreenNumber", R"({"screens": [{"frame": [0, 0, 10, 10], "number": -1}]})",
     "scene.json: screens[0].number: expected an integer from 0 to 4294967295"},
    {"MouseOneNumber", R"({"mouse": [1]})", "scene.json: mouse: expected an array of two numbers"},
    {"PermissionNotBoolean", R"({"permissions": {"accessibility": "yes"}})",
     "scene.json: permissions.accessibility: expected true or false"},
    {"LoginItemUnknown", R"({"loginItem": "on"})",
     "scene.json: loginItem: expected one of \"notRegistered\", \"enabled\", "
     "\"requiresApproval\", \"notFound\""},
    {"BundleNameNumber", R"({"bundleName": 3})",
     "scene.json: bundleName: expected a string or null"},
};

INSTANTIATE_TEST_SUITE_P(Scene, SceneMalformed, ::testing::ValuesIn(malformedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The parser's own words follow the position; only the position is ours.
TEST(SceneLoader, SyntaxErrorsNameLineAndColumn) {
    EXPECT_THAT(loadError("{\n  \"mouse\": [1, 2],\n  \"apps\": [}\n"),
                ::testing::StartsWith("scene.json: invalid JSON at line 3, column 13: "));
    EXPECT_THAT(loadError(""),
                ::testing::StartsWith("scene.json: invalid JSON at line 1, column 1: "));
}

TEST(SceneLoader, FileErrorsNameThePathAsGiven) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing.json");
    try {
        SceneLoader::fromFile(missing);
        FAIL() << "loaded a missing file";
    } catch (const SceneError& error) {
        EXPECT_EQ(error.message().toStdString(),
                  (missing + ": cannot be read: No such file or directory").toStdString());
    }

    const QString bad = dir.filePath("bad.json");
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"windows": [{"id": 1, "pid": 2, "bounds": [0, 0, 1]}]})");
    file.close();
    try {
        SceneLoader::fromFile(bad);
        FAIL() << "loaded a bad file";
    } catch (const SceneError& error) {
        EXPECT_EQ(error.message().toStdString(),
                  (bad + ": windows[0].bounds: expected an array of four numbers").toStdString());
        EXPECT_STREQ(error.what(), error.message().toUtf8().constData());
    }
}

TEST(SceneLoader, AnEmptyObjectTakesEveryDefault) {
    const Scene scene = SceneLoader::fromJson("{}");
    EXPECT_TRUE(scene.screens.isEmpty());
    EXPECT_TRUE(scene.apps.isEmpty());
    EXPECT_TRUE(scene.windows.isEmpty());
    EXPECT_EQ(scene.mouse, QPointF(0, 0));
    EXPECT_TRUE(scene.accessibilityGranted);
    EXPECT_TRUE(scene.screenRecordingGranted);
    EXPECT_FALSE(scene.frontmost);
    EXPECT_EQ(scene.self.pid, 1000);
    EXPECT_EQ(scene.self.name, "Vantrel");
    EXPECT_EQ(scene.bundleName, "Vantrel");
    EXPECT_EQ(scene.bundleIdentifier, "com.vantrel.Vantrel");
    EXPECT_EQ(scene.loginItem, LoginItemService::Status::notRegistered);
}

TEST(SceneLoader, DefaultsOfScreensWindowsAppsAndSelf) {
    const Scene scene = SceneLoader::fromJson(R"({
        "screens": [{"frame": [0, 0, 800, 600]}, {"frame": [800, 0, 640, 480], "number": null},
                    {"frame": [0, 600, 10, 10], "number": 7, "displayID": 70}],
        "apps": [{"pid": 4000}],
        "windows": [{"id": 9, "pid": 4100, "bounds": [1, 2, 3, 4]}],
        "bundleName": null
    })");
    ASSERT_EQ(scene.screens.size(), 3);
    EXPECT_EQ(scene.screens[0].visibleFrame, QRectF(0, 0, 800, 600));
    EXPECT_EQ(scene.screens[0].scale, 1.0);
    EXPECT_EQ(scene.screens[0].safeAreaTop, 0.0);
    EXPECT_EQ(scene.screens[0].number, 1u);
    EXPECT_EQ(scene.screens[0].displayID, 1u);
    EXPECT_EQ(scene.screens[1].number, std::nullopt);
    EXPECT_EQ(scene.screens[1].displayID, 2u);
    EXPECT_EQ(scene.screens[2].number, 7u);
    EXPECT_EQ(scene.screens[2].displayID, 70u);
    EXPECT_EQ(scene.apps[0].name, std::nullopt);
    EXPECT_EQ(scene.apps[0].bundleId, std::nullopt);
    const SceneWindow& window = scene.windows[0];
    EXPECT_EQ(window.title, std::nullopt);
    EXPECT_EQ(window.layer, 0);
    EXPECT_TRUE(window.onScreen);
    EXPECT_FALSE(window.desktop);
    EXPECT_FALSE(window.axRoot);
    EXPECT_EQ(scene.self.pid, 4101) << "one above every pid the scene uses";
    EXPECT_EQ(scene.bundleName, std::nullopt);
}

TEST(SceneLoader, SpecialFrameNumbers) {
    const Scene scene = SceneLoader::fromJson(R"({"windows": [{"id": 1, "pid": 1,
        "bounds": [0, 0, 10, 10], "ax": {"frame": ["NaN", "Infinity", "-Infinity", 4]}}]})");
    const QRectF frame = *scene.elements[0].frame;
    EXPECT_TRUE(std::isnan(frame.x()));
    EXPECT_EQ(frame.y(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(frame.width(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(frame.height(), 4);
}

TEST(SceneLoader, RefsShareAnElementWithoutCopyingIt) {
    const Scene scene = SceneLoader::fromJson(R"({"windows": [{"id": 1, "pid": 1,
        "bounds": [0, 0, 10, 10], "ax": {"id": "root", "children": [
            {"id": "child", "children": [{"ref": "root"}, {"ref": "later"}]},
            {"id": "later"}]}}]})");
    ASSERT_EQ(scene.elements.size(), 3);
    EXPECT_EQ(scene.elements[1].children, (QList<int>{0, 2}));
    EXPECT_EQ(scene.elements[0].parent, -1) << "a ref does not re-parent its target";
    EXPECT_EQ(scene.elements[2].parent, 0);
}

// Every example scene must load and keep each element inside its parent and its window, so
// pictures and hit-tests of the shared scenes agree.
TEST(SceneLoader, ExampleScenesLoadAndNest) {
    const QStringList files = QDir(scenePath({})).entryList({"*.json"}, QDir::Files);
    ASSERT_GE(files.size(), 4);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const Scene scene = SceneLoader::fromFile(scenePath(file));
        for (const SceneElement& element : scene.elements) {
            SCOPED_TRACE(element.path.toStdString());
            ASSERT_TRUE(element.frame);
            EXPECT_TRUE(scene.windows[element.window].bounds.contains(*element.frame));
            if (element.parent >= 0) {
                EXPECT_TRUE(scene.elements[element.parent].frame->contains(*element.frame));
            }
        }
    }
}

} // namespace
} // namespace vantrel
