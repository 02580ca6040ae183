#include "screen/ScreenCaptureService.h"
#include "ScreenTestSupport.h"
#include "platform/NotificationCenter.h"
#include "platform/VirtualClock.h"
#include "screen/PngEncoder.h"
#include "screen/SystemPermissionsService.h"
#include "support/VantrelProcess.h"

#include <QDir>
#include <QImageReader>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

// The virtual clock starts at 2026-01-31 09:15:02 UTC.
const QString stamp = QStringLiteral("1769850902");

// The screens are listed out of left-to-right order, and two share an x so the sort must be
// stable. The first screen's number is filled in.
QByteArray displayScene(const char* firstNumber) {
    return QStringLiteral(R"({"screens": [
        {"frame": [0, 0, 1440, 900], "scale": 2, "number": %1},
        {"frame": [1440, 800, 1280, 800], "number": 4},
        {"frame": [-1920, 0, 1920, 1080], "number": 2},
        {"frame": [1440, 0, 1280, 800], "number": 3}], "frontmost": null})")
        .arg(QLatin1String(firstNumber))
        .toUtf8();
}

// Inbox and Drafts have equal areas; Palette and Hidden are larger but not candidates.
const char* const windowScene = R"({
  "screens": [{"frame": [0, 0, 1440, 900], "scale": 2}],
  "frontmost": 501,
  "apps": [{"pid": 501, "name": "Mail", "bundleId": "com.example.mail"},
           {"pid": 504, "name": "Empty", "bundleId": "com.example.empty"},
           {"pid": 505, "name": "Idle", "bundleId": "com.example.idle"},
           {"pid": 506, "name": "", "bundleId": "com.example.nameless"}],
  "windows": [
    {"id": 10, "pid": 501, "title": "Small", "bounds": [0, 0, 200, 100]},
    {"id": 11, "pid": 501, "title": "Inbox", "bounds": [100, 60, 900, 600]},
    {"id": 12, "pid": 501, "title": "Drafts", "bounds": [50, 50, 600, 900]},
    {"id": 13, "pid": 501, "title": "Palette", "bounds": [0, 0, 1400, 880], "layer": 3},
    {"id": 14, "pid": 501, "title": "Hidden", "bounds": [0, 0, 1400, 880], "onScreen": false},
    {"id": 16, "pid": 504, "title": "", "bounds": [0, 0, 100, 100]},
    {"id": 18, "pid": 505, "title": "Tray", "bounds": [0, 0, 20, 20], "layer": 25},
    {"id": 19, "pid": 506, "title": "", "bounds": [0, 0, 100, 100]}]})";

// The right-hand display has scale 2 and a window detailed enough that a crop one pixel off
// encodes differently.
const char* const regionScene = R"({
  "screens": [{"frame": [0, 0, 1440, 900], "scale": 1, "number": 1},
              {"frame": [1440, 0, 1440, 900], "scale": 2, "number": 2}],
  "frontmost": 501,
  "apps": [{"pid": 501, "name": "Mail", "bundleId": "com.example.mail"}],
  "windows": [{"id": 11, "pid": 501, "title": "Inbox", "bounds": [1445, 5, 300, 200],
     "ax": {"role": "AXWindow", "title": "Inbox", "frame": [1445, 5, 300, 200], "children": [
       {"role": "AXButton", "title": "Send", "frame": [1450, 40, 80, 30]}]}}]})";

const auto readFile = VantrelProcess::readBytes;

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
        desktop = std::make_unique<SimDesktop>(SceneLoader::fromJson(json));
        permissions =
            std::make_unique<SystemPermissionsService>(desktop->platform(), center, clock);
        service = std::make_unique<ScreenCaptureService>(desktop->platform(), *permissions, clock,
                                                         shotDirectory.value_or(shots()));
    }

    // Each load gets its own folder, so one case's shots never rename the next case's.
    QString shots() const { return dir.filePath(QStringLiteral("shots%1").arg(loads)); }
    QString shot(const QString& name) const { return shots() + u'/' + name; }
    QStringList shotFiles() const { return QDir(shots()).entryList(QDir::Files); }
    int contentQueries() const { return desktop->screenCapture().shareableContentCount(); }
    quint32 requestedID(qsizetype k = 0) {
        const ContentFilter filter = desktop->screenCapture().captureRequests().at(k).filter;
        const auto* display = std::get_if<DisplayFilter>(&filter);
        return display ? display->displayID : std::get<WindowFilter>(filter).windowID;
    }
    Settled<QList<CapturedScreen>> captureWindow(PngWanted png = PngWanted::no) {
        return settle(service->capture(true, {}, png));
    }
    Settled<CapturedScreen> captureRegion(QRectF area, PngWanted png = PngWanted::no) {
        return settle(service->capture(area, png));
    }

    QTemporaryDir dir;
    int loads = 0;
    VirtualClock clock;
    NotificationCenter center;
    std::unique_ptr<SimDesktop> desktop;
    std::unique_ptr<SystemPermissionsService> permissions;
    std::unique_ptr<ScreenCaptureService> service;
};

TEST_F(ScreenCaptureServiceTest, DisplaysComePrimaryFirstThenLeftToRight) {
    // Each shot as "display ID: label, pixels", in the order of the records.
    const std::pair<const char*, QStringList> cases[] = {
        {"1",
         {"1: Primary display, 2880x1800", "2: Secondary display 1, 1920x1080",
          "4: Secondary display 2, 1280x800", "3: Secondary display 3, 1280x800"}},
        // The unnumbered screen has display ID 1 and, matching no screen, the fallback scale 2.
        {"null",
         {"2: Secondary display 0, 1920x1080", "1: Secondary display 1, 2880x1800",
          "4: Secondary display 2, 1280x800", "3: Secondary display 3, 1280x800"}},
    };
    for (const auto& [firstNumber, expected] : cases) {
        SCOPED_TRACE(firstNumber);
        load(displayScene(firstNumber));
        const auto result = captureWindow();
        ASSERT_TRUE(result.value);
        QStringList shots;
        for (qsizetype k = 0; k < result.value->size(); ++k) {
            const CapturedScreen& record = result.value->at(k);
            const QSize pixels = QImageReader(record.fileURL.toLocalFile()).size();
            shots << QStringLiteral("%1: %2, %3x%4")
                         .arg(requestedID(k))
                         .arg(record.label)
                         .arg(pixels.width())
                         .arg(pixels.height());
            EXPECT_EQ(record.isPrimary, record.label == "Primary display");
            EXPECT_EQ(record.fileURL.toLocalFile(),
                      shot(QStringLiteral("shot_%1_%2.jpg").arg(k).arg(stamp)));
        }
        EXPECT_EQ(shots, expected);
    }
}

TEST_F(ScreenCaptureServiceTest, WindowCaptureTakesTheLargestCandidateOrFallsBackToDisplays) {
    using Case = std::tuple<const char*, std::optional<qint32>, bool, std::optional<quint32>,
                            quint32, const char*>;
    const Case cases[] = {
        {"equal areas keep the first", 501, true, {}, 11, "Active window: Inbox"},
        {"an excluded window is skipped", 501, true, 11u, 12, "Active window: Drafts"},
        {"an empty title falls back to the app name", 504, true, {}, 16, "Active window: Empty"},
        {"and an empty app name to words", 506, true, {}, 19, "Active window: Active window"},
        {"no frontmost application", std::nullopt, true, {}, 1, "Primary display"},
        {"no layer-0 window", 505, true, {}, 1, "Primary display"},
        {"displays asked for", 501, false, {}, 1, "Primary display"},
    };
    for (const auto& [name, frontmost, windowOnly, exclude, displayOrWindowID, label] : cases) {
        SCOPED_TRACE(name);
        load(windowScene);
        desktop->setFrontmost(frontmost);
        const auto result = settle(service->capture(windowOnly, exclude, PngWanted::no));
        ASSERT_TRUE(result.value);
        ASSERT_EQ(result.value->size(), 1);
        EXPECT_EQ(result.value->first().label, QString::fromUtf8(label));
        EXPECT_TRUE(result.value->first().isPrimary);
        EXPECT_EQ(requestedID(), displayOrWindowID);
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
    EXPECT_EQ(requestedID(), 2u);

    const QImage display = desktop->screenshot(1);
    const QByteArray expected = qtJpeg(display.copy(20, 41, 201, 100));
    ASSERT_NE(qtJpeg(display.copy(21, 41, 201, 100)), expected);
    ASSERT_NE(qtJpeg(display.copy(20, 42, 201, 100)), expected);
    ASSERT_NE(qtJpeg(display.copy(20, 41, 202, 100)), expected);
    EXPECT_EQ(readFile(result.value->fileURL.toLocalFile()), expected);
}

TEST_F(ScreenCaptureServiceTest, AreaSidesAreCheckedBeforeAndAfterClipping) {
    // Areas in bottom-left space, where the left display spans x 0 to 1440 and y 0 to 900; no label
    // means captureFailed.
    const std::tuple<const char*, QRectF, const char*, quint32> cases[] = {
        {"4 points wide", {100, 100, 4, 50}, "Region 4×50", 1},
        {"3.9 points wide", {100, 100, 3.9, 50}, nullptr, 0},
        {"4 points tall", {100, 100, 50, 4}, "Region 50×4", 1},
        {"3.9 points tall", {100, 100, 50, 3.9}, nullptr, 0},
        {"clipped to 4 points", {-96, 100, 100, 50}, "Region 4×50", 1},
        {"clipped to 3.9 points", {-96.1, 100, 100, 50}, nullptr, 0},
        {"mostly on the right display", {1400, 100, 200, 50}, "Region 160×50", 2},
        {"even overlap keeps the first display", {1390, 100, 100, 50}, "Region 50×50", 1},
    };
    for (const auto& [name, area, label, displayID] : cases) {
        SCOPED_TRACE(name);
        load(regionScene);
        const auto result = captureRegion(area);
        if (label == nullptr) {
            EXPECT_EQ(result.screenError, ScreenCaptureError::captureFailed());
            EXPECT_TRUE(shotFiles().isEmpty());
            continue;
        }
        ASSERT_TRUE(result.value);
        EXPECT_EQ(result.value->label, QString::fromUtf8(label));
        EXPECT_EQ(requestedID(), displayID);
    }
}

TEST_F(ScreenCaptureServiceTest, PermissionGateUsesTheCachedStateThenThePreflight) {
    const auto errors = [](const auto& s) { return std::pair{s.screenError, s.platformError}; };
    const std::tuple<const char*, bool, bool> cases[] = {
        {"granted", false, true},
        // The cached answer lets the capture through; the platform's own refusal then comes up.
        {"revoked since the last poll", true, false},
        {"denied", false, false},
    };
    for (const auto& [name, monitoredWhileGranted, grantedNow] : cases) {
        for (bool region : {false, true}) {
            SCOPED_TRACE(::testing::Message() << name << ", region " << region);
            load(windowScene);
            if (monitoredWhileGranted)
                permissions->startMonitoring();
            desktop->setScreenRecordingGranted(grantedNow);
            const int queriesBefore = contentQueries();
            const auto [screenError, platformError] =
                region ? errors(captureRegion({10, 10, 100, 100})) : errors(captureWindow());
            const bool gated = !grantedNow && !monitoredWhileGranted;
            EXPECT_EQ(screenError.has_value(), gated);
            if (gated) {
                EXPECT_EQ(screenError->code, ScreenCaptureError::Code::permissionDenied);
                EXPECT_EQ(contentQueries(), queriesBefore);
                EXPECT_EQ(desktop->screenCapture().accessRequestCount(), 0);
            } else if (!grantedNow) {
                EXPECT_EQ(platformError, SimScreenCapture::userDeclinedError());
            }
            EXPECT_EQ(shotFiles().isEmpty(), !grantedNow);
        }
    }
}

TEST_F(ScreenCaptureServiceTest, ASecondShotInTheSameSecondKeepsTheFirst) {
    load(windowScene);
    ASSERT_TRUE(captureWindow().value);
    const QByteArray firstBytes = readFile(shot("win_" + stamp + ".jpg"));
    ASSERT_FALSE(firstBytes.isEmpty());

    clock.advance(std::chrono::milliseconds(999));
    desktop->setFrontmost(504); // a different picture under the same name
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

// The error says which file and why, so the user can act on it.
TEST_F(ScreenCaptureServiceTest, UnwritableFolderFailsWithWriteFailedAndLeavesNothing) {
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    ASSERT_TRUE(QFile(blocker).open(QIODevice::WriteOnly));
    load(windowScene, blocker + QStringLiteral("/shots"));
    const QString reason = blocker + QStringLiteral(": Not a directory");
    EXPECT_EQ(captureWindow().screenError, ScreenCaptureError::writeFailed(reason));
    EXPECT_EQ(captureRegion({10, 10, 100, 100}).screenError,
              ScreenCaptureError::writeFailed(reason));
    EXPECT_EQ(ScreenCaptureError::writeFailed(reason).localizedDescription(),
              "Could not write screenshot to disk. " + reason);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("blocker")});
}

// Pictures beyond what an image may hold are asked for smaller, keeping their shape; the record
// carries exactly the pixels its file was encoded from.
TEST_F(ScreenCaptureServiceTest, HugePicturesAreAskedForWithinTheLimits) {
    // The width in points of the display and of the window filling it; the window's picture, one
    // pixel per point up to the limit; an area on the display and its picture, scaled down with it.
    const std::tuple<int, QSize, QRectF, QSize> cases[] = {
        {16384, {16384, 500}, {0, 0, 8192, 250}, {8192, 250}},
        {16385, {16384, 499}, {0, 0, 16385, 500}, {16384, 499}},
        {32768, {16384, 250}, {16384, 0, 2000, 500}, {1000, 250}},
        {65536, {16384, 125}, {0, 0, 4, 4}, {1, 1}},   // on the bottom edge: clipped there
        {131072, {16384, 62}, {0, 496, 4, 4}, {1, 1}}, // half a pixel: never less than one
    };
    for (const auto& [width, windowPicture, region, areaPicture] : cases) {
        SCOPED_TRACE(width);
        load(QStringLiteral(R"({"screens": [{"frame": [0, 0, %1, 500], "scale": 1, "number": 1}],
            "frontmost": 501, "apps": [{"pid": 501, "name": "Wide"}],
            "windows": [{"id": 11, "pid": 501, "title": "Wide", "bounds": [0, 0, %1, 500]}]})")
                 .arg(width)
                 .toUtf8());
        const auto window = captureWindow();
        ASSERT_TRUE(window.value);
        EXPECT_EQ(window.value->first().image.size(), windowPicture);
        EXPECT_EQ(QImageReader(window.value->first().fileURL.toLocalFile()).size(), windowPicture);
        const auto area = captureRegion(region);
        ASSERT_TRUE(area.value);
        EXPECT_EQ(area.value->image.size(), areaPicture);
        EXPECT_EQ(area.value->subject, ScreenshotSubject::area);
    }
}

// A window thinner than a pixel still gets a picture one pixel across, never an empty one.
TEST_F(ScreenCaptureServiceTest, ASliverOfAWindowIsPicturedOnePixelAcross) {
    const std::pair<QSizeF, QSize> cases[] = {{{0.5, 300}, {1, 300}}, {{300, 0.5}, {300, 1}}};
    for (const auto& [side, picture] : cases) {
        SCOPED_TRACE(picture.width());
        load(QStringLiteral(R"({"screens": [{"frame": [0, 0, 1440, 900], "scale": 1}],
            "frontmost": 501, "apps": [{"pid": 501, "name": "Thin"}],
            "windows": [{"id": 11, "pid": 501, "title": "Thin", "bounds": [10, 10, %1, %2]}]})")
                 .arg(side.width())
                 .arg(side.height())
                 .toUtf8());
        const auto window = captureWindow();
        ASSERT_TRUE(window.value);
        EXPECT_EQ(window.value->first().image.size(), picture);
    }
}

} // namespace

// Asked for, every record comes with the PNG of its very pixels (a crop's too); not asked for,
// none is encoded.
TEST_F(ScreenCaptureServiceTest, APngAskedForComesWithThePixels) {
    const auto pngOf = [](const CapturedScreen& record) {
        return record.png ? std::optional(record.png->result()) : std::nullopt;
    };
    for (const PngWanted png : {PngWanted::yes, PngWanted::no}) {
        SCOPED_TRACE(png == PngWanted::yes ? "wanted" : "not wanted");
        QList<CapturedScreen> records;
        load(windowScene);
        records += captureWindow(png).value.value();
        load(displayScene("1"));
        records += captureWindow(png).value.value();
        load(regionScene);
        records += captureRegion(QRectF(1450.3, 900 - 20.7 - 50.2, 100.6, 50.2), png).value.value();
        for (const CapturedScreen& record : records) {
            SCOPED_TRACE(record.label.toStdString());
            EXPECT_EQ(pngOf(record), png == PngWanted::yes
                                         ? std::optional(PngEncoder::encode(record.image))
                                         : std::nullopt);
        }
    }
}
