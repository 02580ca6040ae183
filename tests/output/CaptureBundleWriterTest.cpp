#include "output/CaptureBundleWriter.h"
#include "OutputTestSupport.h"
#include "output/CaptureFolders.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/PlatformError.h"
#include "platform/PlatformVocabulary.h"
#include "platform/VirtualClock.h"
#include "screen/PngEncoder.h"
#include "screen/ScreenTestSupport.h"

#include <QImage>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

void setModified(const QString& path, const QDateTime& time) {
    const timespec stamp{static_cast<time_t>(time.toSecsSinceEpoch()), 0};
    const timespec times[2] = {stamp, stamp};
    ASSERT_EQ(
        ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

mode_t modeOf(const QString& path) {
    struct stat status {};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                  QDir::NoDotAndDotDot);
}

class CaptureBundleWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(temporary.isValid());
        fresh();
    }

    // A new, empty home, so each case of a table starts from nothing.
    void fresh() {
        home = temporary.path() + u'/' + QString::number(++homes);
        QDir().mkpath(desktop());
        accessibility = snapshotAt(home + "/ax/ax-1.json", R"({"role": "AXButton"})");
    }

    // The picture's PNG is under way when the writer gets it, as a capture hands it over.
    Settled<CaptureBundle> attempt(std::optional<QImage> image = {}) {
        CaptureBundleWriter writer(clock, defaults, vocabulary, {home + "/cache", desktop()});
        const auto png = image ? std::optional(PngEncoder::start(*image)) : std::nullopt;
        return settle(writer.write(accessibility, png));
    }
    CaptureBundle write(std::optional<QImage> image = {}) { return attempt(image).value.value(); }

    // The failure's description; it must be a file error, leave both links where they were, and
    // leave no folder under a capture-folder name and no draft.
    QString failure(const QString& linkedBefore = {}) {
        const PlatformError error = attempt().platformError.value_or(PlatformError{});
        EXPECT_EQ(error.domain, "file");
        EXPECT_EQ(QFile::symLinkTarget(latest()), linkedBefore);
        EXPECT_EQ(QFile::symLinkTarget(desktopLink()), linkedBefore);
        const QStringList inCaptures =
            QFileInfo(captures()).isSymLink() ? QStringList() : entries(captures());
        for (const QString& name : inCaptures) {
            EXPECT_FALSE(name.startsWith(u'.')) << name.toStdString();
            if (CaptureFolders::isCaptureFolderName(name)) {
                EXPECT_EQ(captures() + u'/' + name, linkedBefore);
            }
        }
        return error.description;
    }

    QString vantrel() const { return home + "/cache/Vantrel"; }
    QString captures() const { return vantrel() + "/captures"; }
    QString latest() const { return vantrel() + "/latest"; }
    QString desktop() const { return home + "/Desktop"; }
    QString desktopLink() const { return desktop() + "/Vantrel-latest"; }
    QString folderName() const {
        return clock.now().toLocalTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss-zzz"));
    }
    QStringList captureDirectories() const {
        return QDir(captures()).entryList(QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    }

    QTemporaryDir temporary;
    int homes = 0;
    QString home;
    VirtualClock clock{QDateTime(QDate(2025, 3, 7), QTime(14, 5, 9, 42), Qt::UTC)};
    MemoryUserDefaults defaults;
    PlatformVocabulary vocabulary = PlatformVocabulary::macOS();
    CapturedAccessibility accessibility;
};

TEST_F(CaptureBundleWriterTest, WritesAPrivateFolderNamedByTheClockAndNothingElse) {
    const QString folder = write().directory.toLocalFile();
    EXPECT_EQ(folder, captures() + u'/' + folderName());
    EXPECT_EQ(readBytes(folder + "/accessibility.json"), QByteArray(R"({"role": "AXButton"})"));
    for (const QString& path : {vantrel(), captures(), folder})
        EXPECT_EQ(modeOf(path), 0700u) << path.toStdString();
    for (const QString& name : entries(folder))
        EXPECT_EQ(modeOf(folder + u'/' + name), 0600u) << name.toStdString();
    EXPECT_EQ(entries(captures()), QStringList{folderName()});
}

// The stored screenshot is a real PNG of the very pixels, whatever their format.
TEST_F(CaptureBundleWriterTest, ScreenshotIsALosslessPngOfThePixelsOrAbsent) {
    QImage opaque(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            opaque.setPixel(x, y, qRgb(40 * x, 80 * y, 7 * x + y));
    QImage translucent = opaque.convertToFormat(QImage::Format_ARGB32);
    translucent.setPixel(1, 1, qRgba(10, 20, 30, 40));
    const QImage indexed = opaque.convertToFormat(QImage::Format_Indexed8);
    // Wider than PNG allows: the encoder fails and the bundle goes without a screenshot.
    constexpr int pngWidthLimit = 1'000'000;
    const QImage tooWide(pngWidthLimit + 1, 1, QImage::Format_RGB32);
    const std::optional<QImage> cases[] = {opaque,  translucent, indexed,
                                           tooWide, QImage(),    std::nullopt};
    for (const auto& picture : cases) {
        const bool stored = picture && !picture->isNull() && picture->width() <= pngWidthLimit;
        SCOPED_TRACE(stored ? int(picture->format()) : -1);
        const CaptureBundle bundle = write(picture);
        const QString path = bundle.directory.toLocalFile() + "/screenshot.png";
        EXPECT_EQ(bundle.screenshotURL,
                  stored ? std::optional(QUrl::fromLocalFile(path)) : std::nullopt);
        EXPECT_EQ(readBytes(bundle.stableCaptureURL.toLocalFile()).contains("screenshot.png —"),
                  stored);
        if (!stored) {
            EXPECT_FALSE(QFileInfo::exists(path));
            continue;
        }
        const QByteArray bytes = readBytes(path);
        EXPECT_TRUE(bytes.startsWith("\x89PNG\r\n\x1a\n"));
        const QImage decoded = QImage::fromData(bytes, "PNG");
        const QImage::Format format =
            picture->hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
        EXPECT_EQ(decoded.convertToFormat(format), picture->convertToFormat(format));
        clock.advance(1ms);
    }
}

// What holds the name, then the name with "-1", and the suffix the new folder gets.
TEST_F(CaptureBundleWriterTest, TakenFolderNameGetsANumberedSuffix) {
    const std::pair<QStringList, QString> cases[] = {
        {{"folder"}, "-1"}, {{"folder", "folder"}, "-2"}, {{"file"}, "-1"}, {{"link"}, "-1"}};
    for (const auto& [taken, suffix] : cases) {
        fresh();
        const QString base = captures() + u'/' + folderName();
        QDir().mkpath(captures());
        for (qsizetype k = 0; k < taken.size(); ++k) {
            const QString name = base + (k > 0 ? QStringLiteral("-%1").arg(k) : QString());
            if (taken[k] == "folder")
                QDir().mkpath(name);
            else if (taken[k] == "file")
                writeBytes(name, "x");
            else // dangling
                QFile::link(home + "/nowhere", name);
        }
        EXPECT_EQ(write().directory.toLocalFile(), base + suffix);
    }
}

// The old folders all look newer than the one being written, which must survive all the same;
// their names sort against their ages, so only the modification time can pick the right ones.
TEST_F(CaptureBundleWriterTest, RotationKeepsTheNewest25CaptureFoldersAndNothingElseGoes) {
    const QString outside = temporary.path() + "/outside";
    writeBytes(outside + "/precious.txt", "keep me");
    const QDateTime future = QDateTime::currentDateTimeUtc().addDays(1);
    QStringList expected;
    for (int age = 0; age < 26; ++age) {
        const QString name =
            QStringLiteral("2020-01-01_00-00-%1-000").arg(age, 2, 10, QLatin1Char('0'));
        QDir().mkpath(captures() + u'/' + name);
        if (age == 0) // The oldest holds a link out of the captures folder: never followed.
            QFile::link(outside, captures() + u'/' + name + "/escape");
        setModified(captures() + u'/' + name, future.addSecs(-3600 * (25 - age)));
        if (age > 1)
            expected << name;
    }
    const QDateTime ancient = QDateTime::currentDateTimeUtc().addYears(-5);
    for (const char* mine : {"my-stuff", "2020-01-01_00-00-00", ".hidden"}) {
        writeBytes(captures() + u'/' + mine + "/inside.txt", "the user's");
        setModified(captures() + u'/' + mine, ancient);
    }
    writeBytes(captures() + "/notes.txt", "plain file");
    QFile::link(outside, captures() + "/2020-01-01_00-00-99-000");
    // Drafts a crashed run left: one long abandoned, one perhaps still being written.
    writeBytes(captures() + "/.incomplete-old/capture.md", "half");
    setModified(captures() + "/.incomplete-old", QDateTime::currentDateTimeUtc().addSecs(-3700));
    writeBytes(captures() + "/.incomplete-new/capture.md", "half");
    setModified(captures() + "/.incomplete-new", QDateTime::currentDateTimeUtc().addSecs(-3500));

    const CaptureBundle bundle = write();
    expected += {bundle.directory.fileName(), "2020-01-01_00-00-00", "my-stuff"};
    expected.sort();

    EXPECT_EQ(captureDirectories(), expected);
    EXPECT_TRUE(QFileInfo::exists(bundle.stableCaptureURL.toLocalFile()));
    for (const char* kept : {"notes.txt", "my-stuff/inside.txt", ".hidden/inside.txt",
                             "2020-01-01_00-00-00/inside.txt"})
        EXPECT_TRUE(QFileInfo::exists(captures() + u'/' + kept)) << kept;
    EXPECT_TRUE(QFileInfo(captures() + "/2020-01-01_00-00-99-000").isSymLink());
    EXPECT_FALSE(QFileInfo::exists(captures() + "/.incomplete-old"));
    EXPECT_TRUE(QFileInfo::exists(captures() + "/.incomplete-new/capture.md"));
    EXPECT_EQ(readBytes(outside + "/precious.txt"), QByteArray("keep me"));
}

TEST_F(CaptureBundleWriterTest, LinksFollowTheLatestWriteAndLeaveNoTemporaryLink) {
    write();
    clock.advance(1ms);
    const QString second = write().directory.toLocalFile();
    EXPECT_EQ(QFile::symLinkTarget(latest()), second);
    EXPECT_EQ(QFile::symLinkTarget(desktopLink()), second);
    EXPECT_EQ(entries(vantrel()), (QStringList{"captures", "latest"}));
    EXPECT_EQ(entries(desktop()), QStringList{"Vantrel-latest"});
}

// Best effort: a missing Desktop or a user's own file or folder there never fails the capture.
TEST_F(CaptureBundleWriterTest, DesktopLinkReplacesOnlyALink) {
    enum class Existing { nothing, link, folder, file, noDesktop };
    for (const Existing existing : {Existing::nothing, Existing::link, Existing::folder,
                                    Existing::file, Existing::noDesktop}) {
        fresh();
        if (existing == Existing::noDesktop)
            QDir().rmdir(desktop());
        if (existing == Existing::link)
            QFile::link(home, desktopLink());
        const QString mine = desktopLink() + (existing == Existing::folder ? "/mine.txt" : "");
        const bool users = existing == Existing::folder || existing == Existing::file;
        if (users)
            writeBytes(mine, "the user's");

        const QString folder = write().directory.toLocalFile();

        const bool linked = existing == Existing::nothing || existing == Existing::link;
        EXPECT_EQ(QFile::symLinkTarget(latest()), folder);
        EXPECT_EQ(QFile::symLinkTarget(desktopLink()), linked ? folder : QString());
        EXPECT_EQ(entries(desktop()),
                  existing == Existing::noDesktop ? QStringList() : QStringList{"Vantrel-latest"});
        if (users) {
            EXPECT_EQ(readBytes(mine), QByteArray("the user's"));
        }
    }
}

// Whatever stops a write, nothing appears under a capture-folder name, no draft is left, the
// links stay, and the error names the path.
TEST_F(CaptureBundleWriterTest, AFailedWriteLeavesNoFolderAndMovesNoLink) {
    const QString outside = temporary.path() + "/elsewhere";
    enum class Fault { snapshotGone, capturesFile, capturesLink, latestFile, latestFolder };
    for (const Fault fault : {Fault::snapshotGone, Fault::capturesFile, Fault::capturesLink,
                              Fault::latestFile, Fault::latestFolder}) {
        SCOPED_TRACE(int(fault));
        fresh();
        QString first;
        if (fault == Fault::snapshotGone) {
            first = write().directory.toLocalFile();
            clock.advance(1ms);
        }
        QString path = captures();
        switch (fault) {
        case Fault::snapshotGone:
            path = accessibility.fileURL.toLocalFile();
            QFile::remove(path);
            break;
        case Fault::capturesFile:
            writeBytes(captures(), "a plain file where the folder belongs");
            break;
        case Fault::capturesLink:
            QDir().mkpath(outside + "/2000-01-01_00-00-00-000");
            QDir().mkpath(vantrel());
            QFile::link(outside, captures());
            break;
        case Fault::latestFile:
        case Fault::latestFolder:
            path = latest();
            if (fault == Fault::latestFile)
                writeBytes(latest(), "the user's");
            else
                QDir().mkpath(latest() + "/occupied");
            break;
        }
        EXPECT_TRUE(failure(first).contains(path)) << path.toStdString();
        if (fault == Fault::capturesLink) {
            EXPECT_EQ(entries(outside), QStringList{"2000-01-01_00-00-00-000"});
        }
        if (fault == Fault::latestFile) {
            EXPECT_EQ(readBytes(latest()), QByteArray("the user's"));
        }
    }
}

} // namespace
