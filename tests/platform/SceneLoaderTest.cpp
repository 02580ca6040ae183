#include "SimTestSupport.h"

#include "platform/sim/SceneError.h"

#include <QDir>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

namespace vantrel {
namespace {

using test::sceneWithAx;

std::string errorOf(const std::function<void()>& load) {
    try {
        load();
    } catch (const SceneError& error) {
        EXPECT_STREQ(error.what(), qPrintable(error.message()));
        return error.message().toStdString();
    }
    return "(loaded)";
}

std::string loadError(const std::string& json) {
    return errorOf([&] {
        SceneLoader::fromJson(QByteArray::fromStdString(json), QStringLiteral("scene.json"));
    });
}

const std::string anyValue = "expected a string, number, boolean, null or an object with one of "
                             "the keys attributed, other, point, size, error";
const std::string fourNumbers = "expected an array of four numbers";

// Each scene fails with one message: the file, the JSON path and what was expected there.
TEST(SceneLoader, MalformedScenesNameThePathAndTheExpectation) {
    const std::pair<std::string, std::string> cases[] = {
        {"[]", "expected an object"},
        {R"({"windows": {}})", "windows: expected an array"},
        {R"({"windows": [{"id": 1, "pid": 10}]})", "windows[0].bounds: missing; " + fourNumbers},
        {R"({"windows": [{"id": 1, "pid": 10, "bounds": [0, 0, -5, 1]}]})",
         "windows[0].bounds: " + fourNumbers + " with a width and height of at least 0"},
        {R"({"apps": [{"pid": 2147483648}]})",
         "apps[0].pid: expected an integer from 0 to 2147483647"},
        {R"({"windows": [{"id": 1, "pid": 1, "bounds": [0, 0, 1, 1], "layer": 9007199254740994}]})",
         "windows[0].layer: expected an integer from -9007199254740992 to 9007199254740992"},
        {R"({"apps": [{"pid": 7}, {"pid": 8}, {"pid": 7}]})",
         "apps[2].pid: the pid 7 is already used by apps[0]"},
        {R"({"windows": [{"id": 3, "pid": 1, "bounds": [0, 0, 1, 1]},
                         {"id": 3, "pid": 1, "bounds": [0, 0, 1, 1]}]})",
         "windows[1].id: the window id 3 is already used by windows[0]"},
        {sceneWithAx(R"({"children": [{}, {"frame": [1, 2, 3, 4, 5]}]})"),
         "windows[0].ax.children[1].frame: " + fourNumbers},
        {sceneWithAx(R"({"value": {"other": "a", "error": 1}})"),
         "windows[0].ax.value: " + anyValue},
        {sceneWithAx(R"({"value": {"colour": "red"}})"),
         "windows[0].ax.value.colour: unknown key; expected one of attributed, other, point, "
         "size, error"},
        {sceneWithAx(R"({"attributes": {"AXRole": {"error": 0}}})"),
         "windows[0].ax.attributes.AXRole.error: expected a non-zero error code"},
        {sceneWithAx(R"({"label": "x"})"),
         "windows[0].ax.label: unknown key; expected one of id, role, title, description, value, "
         "identifier, frame, enabled, focused, children, attributes"},
        {sceneWithAx(R"({"id": "r", "children": [{"ref": "r"}, {"ref": "nope"}]})"),
         "windows[0].ax.children[1].ref: no element has the id \"nope\""},
        {sceneWithAx(R"({"id": "a", "children": [{"id": "a"}]})"),
         "windows[0].ax.children[0].id: the id \"a\" is already used at windows[0].ax"},
        {R"({"apps": [{"pid": 5}], "frontmost": 6})", "frontmost: no application has the pid 6"},
        {R"({"screens": [{"frame": [0, 0, 10, 10], "scale": 0}]})",
         "screens[0].scale: expected a positive number"},
        {R"({"screens": [{"frame": [0, 0, 10, 10], "number": -1}]})",
         "screens[0].number: expected an integer from 0 to 4294967295"},
        {R"({"mouse": [1]})", "mouse: expected an array of two numbers"},
        {R"({"permissions": {"accessibility": "yes"}})",
         "permissions.accessibility: expected true or false"},
        {R"({"loginItem": "on"})", R"(loginItem: expected one of "notRegistered", "enabled", )"
                                   R"("requiresApproval", "notFound")"},
        {R"({"bundleName": 3})", "bundleName: expected a string or null"},
    };
    for (const auto& [json, message] : cases)
        EXPECT_EQ(loadError(json), "scene.json: " + message) << json;
}

// The parser's own words follow the position; only the position is ours.
TEST(SceneLoader, SyntaxErrorsNameLineAndColumn) {
    EXPECT_THAT(loadError("{\n  \"mouse\": [1, 2],\n  \"apps\": [}\n"),
                ::testing::StartsWith("scene.json: invalid JSON at line 3, column 13: "));
}

// Only a regular file of at most 64 MiB is read; a FIFO, a device or a directory would hang or
// grow without end, so each fails at once with one message naming the path as given.
TEST(SceneLoader, FileErrorsNameThePathAsGiven) {
    QTemporaryDir dir;
    const auto file = [&](const char* name, const QByteArray& content, qint64 size) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        EXPECT_TRUE(file.resize(std::max<qint64>(size, content.size()))); // sparse
        return file.fileName();
    };
    constexpr qint64 limit = 64LL * 1024 * 1024;
    const QString fifo = dir.filePath("fifo.json");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString missing = dir.filePath("missing.json");
    const QString bad = file("bad.json", R"({"mouse": [1]})", 0);
    const QString atLimit = file("limit.json", "{}", limit);
    const QString overLimit = file("over.json", "{}", limit + 1);
    using ::testing::StartsWith;
    const std::pair<QString, ::testing::Matcher<std::string>> cases[] = {
        {missing, ": cannot be read: No such file or directory"},
        {bad, ": mouse: expected an array of two numbers"},
        {fifo, ": is not a regular file"},
        {QStringLiteral("/dev/zero"), ": is not a regular file"},
        {dir.path(), ": is not a regular file"},
        {overLimit, ": is larger than 64 MiB"},
        // Passes the size check and fails only as JSON: the bytes after "{}" are NULs.
        {atLimit, StartsWith(": invalid JSON at line 1, ")},
    };
    for (const auto& [path, message] : cases) {
        const std::string error = errorOf([&] { SceneLoader::fromFile(path); });
        ASSERT_THAT(error, StartsWith(path.toStdString())) << error;
        EXPECT_THAT(error.substr(path.size()), message) << path.toStdString();
    }
}

// Screen numbers and display IDs fall back on each other and on the position.
TEST(SceneLoader, ScreenNumbersDisplayIDsAndVisibleFrames) {
    const Scene scene = SceneLoader::fromJson(R"({"screens": [{"frame": [0, 0, 800, 600]},
        {"frame": [800, 0, 9, 9], "number": null}, {"frame": [0, 600, 9, 9], "number": 7},
        {"frame": [0, 610, 9, 9], "displayID": 70}]})");
    QList<std::pair<std::optional<quint32>, quint32>> ids;
    for (const SceneScreen& screen : scene.screens)
        ids.append({screen.number, screen.displayID});
    EXPECT_EQ(ids, (decltype(ids){{1, 1}, {std::nullopt, 2}, {7, 7}, {4, 70}}));
    EXPECT_EQ(scene.screens[0].visibleFrame, QRectF(0, 0, 800, 600)) << "defaults to the frame";
}

// Each limit itself loads; one past it fails in the table above.
TEST(SceneLoader, IntegersAtTheirLimitsLoad) {
    const Scene scene = SceneLoader::fromJson(R"({"apps": [{"pid": 0}], "windows": [
        {"id": 0, "pid": 0, "bounds": [0, 0, 1, 1], "layer": -9007199254740992},
        {"id": 4294967295, "pid": 2147483647, "bounds": [0, 0, 0, 0], "layer": 9007199254740992}]})");
    ASSERT_EQ(scene.windows.size(), 2);
    EXPECT_EQ(std::tuple(scene.apps[0].pid, scene.windows[0].layer, scene.windows[1].id,
                         scene.windows[1].pid, scene.windows[1].layer),
              std::tuple(0, -9007199254740992LL, 4294967295u, 2147483647, 9007199254740992LL));
}

TEST(SceneLoader, SelfTakesThePidAfterEveryOtherFromAThousandUp) {
    EXPECT_EQ(SceneLoader::fromJson("{}").self.pid, 1000);
    EXPECT_EQ(SceneLoader::fromJson(R"({"apps": [{"pid": 4000}, {"pid": 3}],
        "windows": [{"id": 1, "pid": 4100, "bounds": [0, 0, 1, 1]}]})")
                  .self.pid,
              4101);
    EXPECT_EQ(SceneLoader::fromJson(R"({"apps": [{"pid": 2147483647}]})").self.pid, 0);
}

// Every example scene must load and keep each element inside its parent and its window, so
// pictures and hit-tests of the shared scenes agree.
TEST(SceneLoader, ExampleScenesLoadAndNest) {
    const QDir folder(QStringLiteral(VANTREL_SOURCE_DIR "/examples/scenes"));
    const QStringList files = folder.entryList({"*.json"}, QDir::Files);
    ASSERT_GE(files.size(), 4);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const Scene scene = SceneLoader::fromFile(folder.filePath(file));
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
