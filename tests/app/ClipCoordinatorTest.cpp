#include "app/ClipCoordinator.h"
#include "CaptureFakes.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "screen/PngEncoder.h"
#include "support/RunSync.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

class ClipCoordinatorTest : public ::testing::Test {
  protected:
    ClipCoordinatorTest() {
        accessibility.result.fileURL = fileIn("ax-1-ABCDEF12.json");
        screen.windowResult = {
            {shotFile(), "Active window: Inbox", true, picture(), ScreenshotSubject::display, {}}};
        screen.regionResult = {shotFile(), "Region 200×100",        true,
                               picture(),  ScreenshotSubject::area, {}};
    }

    CaptureOutcome run(CaptureMode mode, std::optional<QPointF> mouse = std::nullopt,
                       std::optional<QRectF> region = std::nullopt, bool preferFront = false) {
        return runSync(coordinator.capture(mode, mouse, region, preferFront));
    }

    // Stands in for a file the capture wrote; the pipeline never reads it.
    QUrl fileIn(const QString& name) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        return QUrl::fromLocalFile(file.fileName());
    }
    QUrl shotFile() { return fileIn("win_1.jpg"); }
    static QImage picture() {
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::blue);
        return image;
    }

    QTemporaryDir dir;
    MemoryUserDefaults defaults;
    NotificationCenter center;
    FakeAccessibilityCapture accessibility;
    FakeScreenCapture screen;
    FakeBundleWriter bundleWriter;
    FakePasteboardWriter pasteboard;
    ClipCoordinator coordinator{{accessibility, screen, bundleWriter, pasteboard, defaults}};
};

} // namespace

TEST_F(ClipCoordinatorTest, BundleUsesTheWindowCaptureAndTheFormatStoredAtThatMoment) {
    BundlePasteboardFormatSettings::setActiveFormat(defaults, center,
                                                    BundlePasteboardFormat::experimentB);
    ASSERT_TRUE(run(CaptureMode::bundle).isSuccess());
    EXPECT_EQ(screen.windowCalls, (QList<std::pair<bool, std::optional<quint32>>>{{true, {}}}));
    // The writer is given the picture's PNG, asked for with the pixels.
    EXPECT_EQ(screen.pngWanted, QList<PngWanted>{PngWanted::yes});
    EXPECT_EQ(bundleWriter.pngs, QList<std::optional<QByteArray>>{PngEncoder::encode(picture())});
    EXPECT_EQ(pasteboard.writes, (QList<FakePasteboardWriter::Write>{
                                     {"bundle", true, BundlePasteboardFormat::experimentB,
                                      ScreenshotSubject::display}}));
}

TEST_F(ClipCoordinatorTest, AnAreaIsPhotographedAloneWithoutAWindowCapture) {
    const QRectF area(10, 20, 200, 100);
    ASSERT_TRUE(run(CaptureMode::screenshot, QPointF(1, 1), area).isSuccess());
    EXPECT_EQ(screen.regionCalls, QList<QRectF>{area});
    EXPECT_TRUE(screen.windowCalls.isEmpty());
    EXPECT_TRUE(accessibility.calls.isEmpty());
    // A screenshot alone has no PNG to write; the clipboard makes one only when asked.
    EXPECT_EQ(screen.pngWanted, QList<PngWanted>{PngWanted::no});
}

TEST_F(ClipCoordinatorTest, MissingPicture) {
    const struct {
        const char* name;
        bool emptyList;
    } cases[] = {{"empty window list", true}, {"a record without pixels", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        screen.windowResult =
            c.emptyList ? QList<CapturedScreen>{}
                        : QList<CapturedScreen>{{shotFile(), "w", true, QImage(), {}, {}}};
        bundleWriter.pngs.clear();
        pasteboard.writes.clear();

        ASSERT_TRUE(run(CaptureMode::bundle).isSuccess());
        EXPECT_EQ(bundleWriter.pngs, QList<std::optional<QByteArray>>{std::nullopt});
        ASSERT_EQ(pasteboard.writes.size(), 1);
        EXPECT_FALSE(pasteboard.writes[0].hasImage);

        pasteboard.writes.clear();
        const CaptureOutcome screenshotOnly = run(CaptureMode::screenshot);
        ASSERT_FALSE(screenshotOnly.isSuccess());
        EXPECT_EQ(localizedDescription(screenshotOnly.error()), "Screen capture failed.");
        EXPECT_TRUE(pasteboard.writes.isEmpty());
        EXPECT_EQ(QFile::exists(dir.filePath("win_1.jpg")), c.emptyList);
    }
}

TEST_F(ClipCoordinatorTest, FailuresPassUpUnchangedAndLeaveThePasteboardAlone) {
    const CaptureError noElement = AccessibilityCaptureError::noElement();
    const auto denied =
        ScreenCaptureError::permissionDenied("Vantrel", PlatformVocabulary::macOS());
    const PlatformError framework{"SCStreamErrorDomain", -3801, "The user declined"};
    const PlatformError disk{"file", 30, "Read-only file system"};
    const auto ax = AccessibilityCaptureError::noElement();
    using enum CaptureMode;
    const struct {
        const char* name;
        CaptureMode mode;
        std::optional<AccessibilityCaptureError> accessibilityError;
        std::optional<ScreenFailure> screenFailure;
        std::optional<PlatformError> writerError;
        CaptureError expected;
        int screenCalls;
        int writerCalls;
        // What the failed capture wrote itself is taken back.
        bool snapshotRemoved = false;
        bool shotRemoved = false;
    } cases[] = {
        {"no element in bundle mode", bundle, ax, {}, {}, noElement, 0, 0},
        {"no element in tree mode", tree, ax, {}, {}, noElement, 0, 0},
        {"screen recording denied after the snapshot", bundle, {}, denied, {}, denied, 1, 0, true},
        {"framework error", bundle, {}, framework, {}, framework, 1, 0, true},
        {"framework error, screenshot mode", screenshot, {}, framework, {}, framework, 1, 0},
        {"bundle folder not writable", bundle, {}, {}, disk, disk, 1, 1, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        accessibility.error = c.accessibilityError;
        screen.failure = c.screenFailure;
        bundleWriter.error = c.writerError;
        screen.windowCalls.clear();
        bundleWriter.pngs.clear();
        accessibility.calls.clear();
        accessibility.result.fileURL = fileIn("ax-1-ABCDEF12.json");
        screen.windowResult.first().fileURL = shotFile();

        const CaptureOutcome outcome = run(c.mode);
        ASSERT_FALSE(outcome.isSuccess());
        EXPECT_EQ(outcome.error(), c.expected);
        EXPECT_EQ(screen.windowCalls.size(), c.screenCalls);
        EXPECT_EQ(bundleWriter.pngs.size(), c.writerCalls);
        EXPECT_EQ(accessibility.calls.size(), c.mode == CaptureMode::screenshot ? 0 : 1);
        EXPECT_TRUE(pasteboard.writes.isEmpty());
        EXPECT_NE(QFile::exists(accessibility.result.fileURL.toLocalFile()), c.snapshotRemoved);
        EXPECT_NE(QFile::exists(dir.filePath("win_1.jpg")), c.shotRemoved);
    }
}
