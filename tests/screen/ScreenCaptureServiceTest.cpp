#include "screen/ScreenCaptureService.h"
#include "ScreenTestSupport.h"
#include "platform/NotificationCenter.h"
#include "platform/VirtualClock.h"
#include "screen/SystemPermissionsService.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

// The virtual clock starts at 2026-01-31 09:15:02 UTC.
const QString stamp = QStringLiteral("1769850902");

// The first screen's number is filled in; the screens are listed out of left-to-right order, and
// two of them share an x so the sort must be stable.
QByteArray displayScene(const char* firstNumber) {
    return QStringLiteral(R"({
      "screens": [
        {"frame": [0, 0, 1440, 900], "scale": 2, "number": %1},
        {"frame": [1440, 800, 1280, 800], "number": 4},
        {"frame": [-1920, 0, 1920, 1080], "number": 2},
        {"frame": [1440, 0, 1280, 800], "number": 3}
      ],
      "frontmost": null,
      "apps": [{"pid": 501, "name": "Mail", "bundleId": "com.example.mail"}],
      "windows": [{"id": 11, "pid": 501, "title": "Inbox", "bounds": [100, 60, 900, 600]}]
    })")
        .arg(QLatin1String(firstNumber))
        .toUtf8();
}

const char* const windowScene = R"({
  "screens": [{"frame": [0, 0, 1440, 900], "scale": 2}],
  "frontmost": 501,
  "apps": [
    {"pid": 501, "name": "Mail", "bundleId": "com.example.mail"},
    {"pid": 502, "name": "Notes"},
    {"pid": 504, "name": "Empty", "bundleId": "com.example.empty"},
    {"pid": 505, "name": "Idle", "bundleId": "com.example.idle"}
  ],
  "windows": [
    {"id": 10, "pid": 501, "title": "Small", "bounds": [0, 0, 200, 100]},
    {"id": 11, "pid": 501, "title": "Inbox", "bounds": [100, 60, 900, 600]},
    {"id": 12, "pid": 501, "title": "Drafts", "bounds": [50, 50, 600, 900]},
    {"id": 13, "pid": 501, "title": "Palette", "bounds": [0, 0, 1400, 880], "layer": 3},
    {"id": 14, "pid": 501, "title": "Hidden", "bounds": [0, 0, 1400, 880], "onScreen": false},
    {"id": 15, "pid": 502, "title": "Notes", "bounds": [0, 0, 300, 300]},
    {"id": 16, "pid": 504, "title": "", "bounds": [0, 0, 100, 100]},
    {"id": 17, "pid": 509, "title": "Orphan", "bounds": [0, 0, 700, 700]},
    {"id": 18, "pid": 505, "title": "Tray", "bounds": [0, 0, 20, 20], "layer": 25}
  ]
})";

// The right-hand display has scale 2 and a window whose title bar and button give the pixels
// enough detail that a crop one pixel off encodes differently.
const char* const regionScene = R"({
  "screens": [
    {"frame": [0, 0, 1440, 900], "scale": 1, "number": 1},
    {"frame": [1440, 0, 1440, 900], "scale": 2, "number": 2}
  ],
  "frontmost": 501,
  "apps": [{"pid": 501, "name": "Mail", "bundleId": "com.example.mail"}],
  "windows": [
    {"id": 11, "pid": 501, "title": "Inbox", "bounds": [1445, 5, 300, 200],
     "ax": {"role": "AXWindow", "title": "Inbox", "frame": [1445, 5, 300, 200], "children": [
       {"role": "AXButton", "title": "Send", "frame": [1450, 40, 80, 30]}]}}
  ]
})";

const char* const noScreenScene = R"({"frontmost": null})";

QSize jpegSize(const QUrl& url) {
    return QImageReader(url.toLocalFile()).size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray encodeJPEG(const QImage& image) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(82);
    writer.write(image);
    return buffer.data();
}

quint32 filteredID(const ContentFilter& filter) {
    if (const auto* display = std::get_if<DisplayFilter>(&filter))
        return display->displayID;
    return std::get<WindowFilter>(filter).windowID;
}

class ScreenCaptureServiceTest : public ::testing::Test {
  protected:
    ~ScreenCaptureServiceTest() override {
        service.reset();
        permissions.reset();
        clock.advance(std::chrono::hours(1)); // lets a monitor left asleep see it is gone
    }

    void load(const QByteArray& json, std::optional<QString> shotDirectory = {}) {
        ++loads;
        service.reset();
        permissions.reset();
        desktop = desktopFrom(json.constData());
        permissions =
            std::make_unique<SystemPermissionsService>(desktop->platform(), center, clock);
        service = std::make_unique<ScreenCaptureService>(desktop->platform(), *permissions, clock,
                                                         shotDirectory.value_or(shots()));
    }

    // Each load gets its own folder, so one case's shots never rename the next case's.
    QString shots() const { return dir.filePath(QStringLiteral("shots%1").arg(loads)); }
    QString shot(const QString& name) const { return shots() + u'/' + name; }
    QStringList shotFiles() const { return QDir(shots()).entryList(QDir::Files); }
    const QList<SimScreenCapture::CaptureRequest>& requests() {
        return desktop->screenCapture().captureRequests();
    }

    Settled<QList<CapturedScreen>> captureWindow(std::optional<quint32> exclude = {}) {
        return settle(service->capture(true, exclude));
    }
    Settled<CapturedScreen> captureRegion(QRectF region) {
        return settle(service->capture(region));
    }

    std::pair<std::optional<ScreenCaptureError>, std::optional<PlatformError>>
    captureErrors(bool region) {
        if (region) {
            const auto result = captureRegion({10, 10, 100, 100});
            return {result.screenError, result.platformError};
        }
        const auto result = captureWindow();
        return {result.screenError, result.platformError};
    }

    QTemporaryDir dir;
    int loads = 0;
    VirtualClock clock;
    NotificationCenter center;
    std::unique_ptr<SimDesktop> desktop;
    std::unique_ptr<SystemPermissionsService> permissions;
    std::unique_ptr<ScreenCaptureService> service;
};

struct DisplayExpectation {
    quint32 displayID;
    const char* label;
    bool isPrimary;
    QSize pixels;
};

TEST_F(ScreenCaptureServiceTest, DisplaysComePrimaryFirstThenLeftToRight) {
    const struct {
        const char* name;
        const char* firstNumber;
        QList<DisplayExpectation> expected;
    } cases[] = {
        {"with a primary number",
         "1",
         {{1, "Primary display", true, {2880, 1800}},
          {2, "Secondary display 1", false, {1920, 1080}},
          {4, "Secondary display 2", false, {1280, 800}},
          {3, "Secondary display 3", false, {1280, 800}}}},
        // The unnumbered screen has display ID 1 and, matching no screen, the fallback scale 2.
        {"without a primary number",
         "null",
         {{2, "Secondary display 0", false, {1920, 1080}},
          {1, "Secondary display 1", false, {2880, 1800}},
          {4, "Secondary display 2", false, {1280, 800}},
          {3, "Secondary display 3", false, {1280, 800}}}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        load(displayScene(testCase.firstNumber));
        const auto result = captureWindow();
        ASSERT_TRUE(result.value);
        ASSERT_EQ(result.value->size(), testCase.expected.size());
        for (qsizetype k = 0; k < testCase.expected.size(); ++k) {
            const CapturedScreen& record = result.value->at(k);
            const DisplayExpectation& expected = testCase.expected[k];
            EXPECT_EQ(record.label, QString::fromUtf8(expected.label));
            EXPECT_EQ(record.isPrimary, expected.isPrimary);
            EXPECT_EQ(filteredID(requests()[k].filter), expected.displayID);
            EXPECT_EQ(record.fileURL.toLocalFile(),
                      shot(QStringLiteral("shot_%1_%2.jpg").arg(k).arg(stamp)));
            EXPECT_EQ(jpegSize(record.fileURL), expected.pixels);
        }
    }
}

TEST_F(ScreenCaptureServiceTest, WindowCaptureFallsBackToDisplaysOnlyWithoutACandidate) {
    const struct {
        const char* name;
        const char* frontmost;
        bool windowOnly;
        qsizetype records;
        const char* firstLabel;
    } cases[] = {
        {"no frontmost application", "null", true, 1, "Primary display"},
        {"frontmost application with no layer-0 window", "505", true, 1, "Primary display"},
        {"frontmost application with a window", "501", true, 1, "Active window: Inbox"},
        {"displays asked for", "501", false, 1, "Primary display"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        QByteArray scene(windowScene);
        scene.replace("\"frontmost\": 501", QByteArray("\"frontmost\": ") + testCase.frontmost);
        load(scene);
        const auto result = settle(service->capture(testCase.windowOnly, std::nullopt));
        ASSERT_TRUE(result.value);
        ASSERT_EQ(result.value->size(), testCase.records);
        EXPECT_EQ(result.value->first().label, QString::fromUtf8(testCase.firstLabel));
        EXPECT_TRUE(result.value->first().isPrimary);
    }
}

TEST_F(ScreenCaptureServiceTest, FrontWindowIsTheLargestCandidateOfTheFrontmostApplication) {
    const struct {
        const char* name;
        qint32 frontmost;
        std::optional<quint32> exclude;
        quint32 windowID;
        const char* label;
    } cases[] = {
        // 11 and 12 have equal areas; the larger 13 and 14 are not layer 0 or not on screen.
        {"equal areas keep the first", 501, {}, 11, "Active window: Inbox"},
        {"an excluded window is skipped", 501, 11u, 12, "Active window: Drafts"},
        // Notes has no bundle identifier, and neither has the window without an application.
        {"absent identifiers are equal", 502, {}, 17, "Active window: Orphan"},
        {"an empty title falls back to the application name", 504, {}, 16, "Active window: Empty"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        load(windowScene);
        desktop->setFrontmost(testCase.frontmost);
        const auto result = captureWindow(testCase.exclude);
        ASSERT_TRUE(result.value);
        ASSERT_EQ(result.value->size(), 1);
        EXPECT_EQ(result.value->first().label, QString::fromUtf8(testCase.label));
        EXPECT_TRUE(result.value->first().isPrimary);
        EXPECT_EQ(result.value->first().fileURL.toLocalFile(), shot("win_" + stamp + ".jpg"));
        ASSERT_EQ(requests().size(), 1);
        EXPECT_EQ(filteredID(requests().first().filter), testCase.windowID);
    }
}

TEST_F(ScreenCaptureServiceTest, WindowNameFallsBackToApplicationThenToActiveWindow) {
    const struct {
        const char* title;
        const char* appName;
        const char* label;
    } cases[] = {
        {"\"\"", "\"Mail\"", "Active window: Mail"},
        {"null", "\"Mail\"", "Active window: Mail"},
        {"\"\"", "null", "Active window: Active window"},
        {"\"Inbox\"", "null", "Active window: Inbox"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        load(QStringLiteral(R"({"screens": [{"frame": [0, 0, 800, 600]}], "frontmost": 501,
            "apps": [{"pid": 501, "name": %2, "bundleId": "com.example.mail"}],
            "windows": [{"id": 11, "pid": 501, "title": %1, "bounds": [0, 0, 400, 300]}]})")
                 .arg(QLatin1String(testCase.title), QLatin1String(testCase.appName))
                 .toUtf8());
        const auto result = captureWindow();
        ASSERT_TRUE(result.value);
        EXPECT_EQ(result.value->first().label, QString::fromUtf8(testCase.label));
    }
}

TEST_F(ScreenCaptureServiceTest, WindowPictureHasOnePixelPerPoint) {
    const struct {
        const char* bounds;
        QSize pixels;
    } cases[] = {
        {"[0, 0, 1440, 900]", {1440, 900}},
        {"[10, 20, 1000.7, 600.9]", {1000, 600}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.bounds);
        load(QStringLiteral(R"({"screens": [{"frame": [0, 0, 1440, 900], "scale": 2}],
            "frontmost": 501, "apps": [{"pid": 501, "name": "Mail"}],
            "windows": [{"id": 11, "pid": 501, "title": "Inbox", "bounds": %1}]})")
                 .arg(QLatin1String(testCase.bounds))
                 .toUtf8());
        const auto result = captureWindow();
        ASSERT_TRUE(result.value);
        EXPECT_EQ(jpegSize(result.value->first().fileURL), testCase.pixels);
        EXPECT_EQ(QImageReader(result.value->first().fileURL.toLocalFile()).format(), "jpeg");
    }
}

TEST_F(ScreenCaptureServiceTest, DisplayPicturesLeaveOutOnlyTheGivenWindow) {
    const struct {
        quint32 exclude;
        QList<quint32> excluded;
    } cases[] = {{11, {11}}, {77, {}}};
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.exclude);
        load(displayScene("1"));
        const auto result = settle(service->capture(false, testCase.exclude));
        ASSERT_TRUE(result.value);
        ASSERT_EQ(requests().size(), 4);
        for (const auto& request : requests())
            EXPECT_EQ(std::get<DisplayFilter>(request.filter).excludedWindowIDs, testCase.excluded);
    }
}

TEST_F(ScreenCaptureServiceTest, AreaBecomesTheTruncatedPixelRectangleOfItsDisplay) {
    load(regionScene);
    // 100.6 × 50.2 points at (10.3, 20.7) from the top-left of the display at x 1440, in
    // bottom-left space.
    const auto result = captureRegion(QRectF(1450.3, 900 - 20.7 - 50.2, 100.6, 50.2));
    ASSERT_TRUE(result.value);
    EXPECT_EQ(result.value->label, QStringLiteral("Region 101×50"));
    EXPECT_TRUE(result.value->isPrimary);
    EXPECT_EQ(result.value->fileURL.toLocalFile(), shot("region_" + stamp + ".jpg"));
    ASSERT_EQ(requests().size(), 1);
    EXPECT_EQ(filteredID(requests().first().filter), 2u);
    EXPECT_EQ(requests().first().configuration.width, 2880);
    EXPECT_EQ(requests().first().configuration.height, 1800);

    const QImage display = desktop->screenshot(1);
    const QByteArray expected = encodeJPEG(display.copy(20, 41, 201, 100));
    ASSERT_NE(encodeJPEG(display.copy(21, 41, 201, 100)), expected);
    ASSERT_NE(encodeJPEG(display.copy(20, 42, 201, 100)), expected);
    EXPECT_EQ(readFile(result.value->fileURL.toLocalFile()), expected);
}

TEST_F(ScreenCaptureServiceTest, AreaSidesAreCheckedBeforeAndAfterClipping) {
    const struct {
        const char* name;
        QRectF region;     // bottom-left space; the left display spans x 0 to 1440, y 0 to 900
        const char* label; // null: captureFailed
        int contentQueries;
        quint32 displayID;
    } cases[] = {
        {"4 points wide", {100, 100, 4, 50}, "Region 4×50", 1, 1},
        {"3.9 points wide", {100, 100, 3.9, 50}, nullptr, 0, 0},
        {"3.9 points high", {100, 100, 50, 3.9}, nullptr, 0, 0},
        {"clipped to 4 points", {-96, 100, 100, 50}, "Region 4×50", 1, 1},
        {"clipped to 3.9 points wide", {-96.1, 100, 100, 50}, nullptr, 1, 0},
        {"clipped to 3.9 points high", {100, -96.1, 50, 100}, nullptr, 1, 0},
        {"outside every display", {5000, 5000, 100, 100}, nullptr, 1, 0},
        {"mostly on the right display", {1400, 100, 200, 50}, "Region 160×50", 1, 2},
        {"even overlap keeps the first display", {1390, 100, 100, 50}, "Region 50×50", 1, 1},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        load(regionScene);
        const auto result = captureRegion(testCase.region);
        EXPECT_EQ(desktop->screenCapture().shareableContentCount(), testCase.contentQueries);
        if (testCase.label == nullptr) {
            EXPECT_EQ(result.screenError, ScreenCaptureError::captureFailed());
            EXPECT_TRUE(shotFiles().isEmpty());
            continue;
        }
        ASSERT_TRUE(result.value);
        EXPECT_EQ(result.value->label, QString::fromUtf8(testCase.label));
        EXPECT_EQ(filteredID(requests().first().filter), testCase.displayID);
    }
}

TEST_F(ScreenCaptureServiceTest, NoDisplaysIsItsOwnError) {
    load(noScreenScene);
    EXPECT_EQ(captureWindow().screenError, ScreenCaptureError::noDisplays());
    EXPECT_EQ(captureRegion({0, 0, 100, 100}).screenError, ScreenCaptureError::noDisplays());
}

TEST_F(ScreenCaptureServiceTest, PermissionGateUsesTheCachedStateThenThePreflight) {
    const QString denied = QStringLiteral(
        "Vantrel needs Screen Recording access. Enable it in System Settings → Privacy & "
        "Security → Screen Recording.");
    const struct {
        const char* name;
        bool monitoredWhileGranted;
        bool grantedNow;
        bool passes;
    } cases[] = {
        {"granted", false, true, true},
        // The cached answer lets the capture through; the platform's own refusal then comes up.
        {"revoked since the last poll", true, false, true},
        {"denied", false, false, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        for (bool region : {false, true}) {
            load(windowScene);
            if (testCase.monitoredWhileGranted)
                permissions->startMonitoring();
            desktop->setScreenRecordingGranted(testCase.grantedNow);
            const int queriesBefore = desktop->screenCapture().shareableContentCount();
            const auto [screenError, platformError] = captureErrors(region);
            if (!testCase.passes) {
                ASSERT_TRUE(screenError);
                EXPECT_EQ(screenError->code, ScreenCaptureError::Code::permissionDenied);
                EXPECT_EQ(screenError->localizedDescription(), denied);
                EXPECT_EQ(desktop->screenCapture().shareableContentCount(), queriesBefore);
                EXPECT_EQ(desktop->screenCapture().accessRequestCount(), 0);
            } else if (testCase.grantedNow) {
                EXPECT_FALSE(screenError);
                EXPECT_FALSE(platformError);
            } else {
                EXPECT_EQ(platformError, SimScreenCapture::userDeclinedError());
            }
        }
    }
}

TEST_F(ScreenCaptureServiceTest, PlatformErrorsPassUpUnchangedAndLeaveNoFile) {
    const PlatformError error{QStringLiteral("SCStreamErrorDomain"), -3805,
                              QStringLiteral("The stream was interrupted.")};
    for (bool inContent : {true, false}) {
        for (bool region : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "content " << inContent << ", region " << region);
            load(windowScene);
            if (inContent)
                desktop->setShareableContentError(error);
            else
                desktop->setCaptureImageError(error);
            EXPECT_EQ(captureErrors(region).second, error);
            EXPECT_TRUE(shotFiles().isEmpty());
        }
    }
}

TEST_F(ScreenCaptureServiceTest, ASecondShotInTheSameSecondKeepsTheFirst) {
    load(windowScene);
    const auto first = captureWindow();
    ASSERT_TRUE(first.value);
    const QByteArray firstBytes = readFile(shot("win_" + stamp + ".jpg"));
    ASSERT_FALSE(firstBytes.isEmpty());

    clock.advance(std::chrono::milliseconds(999));
    desktop->setFrontmost(502); // a different picture under the same name
    const auto second = captureWindow();
    ASSERT_TRUE(second.value);
    EXPECT_EQ(second.value->first().fileURL.toLocalFile(), shot("win_" + stamp + "-2.jpg"));
    EXPECT_EQ(readFile(shot("win_" + stamp + ".jpg")), firstBytes);

    clock.advance(std::chrono::milliseconds(1));
    const auto third = captureWindow();
    ASSERT_TRUE(third.value);
    EXPECT_EQ(third.value->first().fileURL.toLocalFile(), shot("win_1769850903.jpg"));
    EXPECT_EQ(shotFiles().size(), 3);
}

TEST_F(ScreenCaptureServiceTest, UnwritableFolderFailsWithWriteFailedAndLeavesNothing) {
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    load(windowScene, blocker.fileName() + QStringLiteral("/shots"));
    EXPECT_EQ(captureWindow().screenError, ScreenCaptureError::writeFailed());
    EXPECT_EQ(captureRegion({10, 10, 100, 100}).screenError, ScreenCaptureError::writeFailed());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("blocker")});
}

TEST_F(ScreenCaptureServiceTest, ShotsFolderIsPrivateAndComesBackWhenRemoved) {
    QByteArray scene(windowScene);
    scene.replace("\"frontmost\"",
                  "\"bundleIdentifier\": \"com.example.ShotsTest.\", \"frontmost\"");
    desktop = desktopFrom(scene.constData());
    permissions = std::make_unique<SystemPermissionsService>(desktop->platform(), center, clock);
    ScreenCaptureService defaultService(desktop->platform(), *permissions, clock);

    const QString caches = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    ASSERT_TRUE(caches.startsWith(QDir::homePath())); // the test's own home, never the real one
    const QString appFolder = caches + QStringLiteral("/ShotsTest");
    EXPECT_EQ(defaultService.shotDirectory(), appFolder + QStringLiteral("/shots"));
    for (const QString& folder : {appFolder, defaultService.shotDirectory()}) {
        ASSERT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
        EXPECT_EQ(std::filesystem::status(folder.toStdString()).permissions(),
                  std::filesystem::perms::owner_all)
            << folder.toStdString();
    }

    ASSERT_TRUE(QDir(appFolder).removeRecursively());
    const auto result = settle(defaultService.capture(true, std::nullopt));
    ASSERT_TRUE(result.value);
    EXPECT_TRUE(QFile::exists(result.value->first().fileURL.toLocalFile()));
}

} // namespace
