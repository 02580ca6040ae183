#include "output/CaptureBundleWriter.h"
#include "OutputTestSupport.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/PlatformError.h"
#include "platform/PlatformVocabulary.h"
#include "platform/VirtualClock.h"

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

    CaptureBundle write(std::optional<QUrl> source = std::nullopt,
                        std::optional<QImage> image = std::nullopt) {
        return CaptureBundleWriter(clock, defaults, vocabulary, {home + "/cache", desktop()})
            .write(accessibility, source, image);
    }

    // The failure's description; it must be a file error and leave both links where they were.
    QString failure(const QString& linkedBefore = {}) {
        QString description;
        try {
            write();
            ADD_FAILURE() << "no error";
        } catch (const PlatformError& error) {
            EXPECT_EQ(error.domain, "file");
            description = error.description;
        }
        EXPECT_EQ(QFile::symLinkTarget(latest()), linkedBefore);
        EXPECT_EQ(QFile::symLinkTarget(desktopLink()), linkedBefore);
        return description;
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

TEST_F(CaptureBundleWriterTest, WritesAPrivateFolderNamedByTheClock) {
    const QString folder = write().directory.toLocalFile();
    EXPECT_EQ(folder, captures() + u'/' + folderName());
    EXPECT_EQ(readBytes(folder + "/accessibility.json"), QByteArray(R"({"role": "AXButton"})"));
    for (const QString& path : {vantrel(), captures(), folder})
        EXPECT_EQ(modeOf(path), 0700u) << path.toStdString();
}

TEST_F(CaptureBundleWriterTest, ScreenshotComesFromTheFileOrTheImageOrNowhere) {
    const QByteArray jpeg("\xff\xd8\xff\xe0 not re-encoded");
    const QString source = temporary.path() + "/shots/shot.jpg";
    writeBytes(source, jpeg);
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QUrl present = QUrl::fromLocalFile(source), gone = QUrl::fromLocalFile(source + ".gone");
    enum class Expect { copy, png, none };
    const std::tuple<std::optional<QUrl>, std::optional<QImage>, Expect> cases[] = {
        {present, image, Expect::copy},         {gone, image, Expect::png},
        {std::nullopt, image, Expect::png},     {gone, std::nullopt, Expect::none},
        {std::nullopt, QImage(), Expect::none},
    };
    for (const auto& [url, picture, expect] : cases) {
        const CaptureBundle bundle = write(url, picture);
        const QString stored = bundle.directory.toLocalFile() + "/screenshot.png";
        const QByteArray bytes = readBytes(stored);
        EXPECT_EQ(bundle.screenshotURL,
                  expect == Expect::none ? std::optional<QUrl>() : QUrl::fromLocalFile(stored));
        EXPECT_EQ(readBytes(bundle.stableCaptureURL.toLocalFile()).contains("screenshot.png —"),
                  expect != Expect::none);
        EXPECT_EQ(QFileInfo::exists(stored), expect != Expect::none);
        if (expect == Expect::png) {
            EXPECT_EQ(QImage::fromData(bytes, "PNG").size(), QSize(4, 3));
        } else {
            EXPECT_EQ(bytes, expect == Expect::copy ? jpeg : QByteArray());
        }
    }
}

TEST_F(CaptureBundleWriterTest, TakenFolderNameGetsANumberedSuffix) {
    enum class Kind { folder, file, danglingLink };
    const std::pair<QList<QPair<QString, Kind>>, QString> cases[] = {
        {{{"", Kind::folder}}, "-1"},
        {{{"", Kind::folder}, {"-1", Kind::folder}}, "-2"},
        {{{"", Kind::file}}, "-1"},
        {{{"", Kind::danglingLink}}, "-1"},
    };
    for (const auto& [taken, suffix] : cases) {
        fresh();
        const QString base = captures() + u'/' + folderName();
        QDir().mkpath(captures());
        for (const auto& [name, kind] : taken) {
            if (kind == Kind::folder)
                QDir().mkpath(base + name);
            else if (kind == Kind::file)
                writeBytes(base + name, "x");
            else
                QFile::link(home + "/nowhere", base + name);
        }
        EXPECT_EQ(write().directory.toLocalFile(), base + suffix);
    }
}

// The old folders all look newer than the one being written, which must survive all the same.
TEST_F(CaptureBundleWriterTest, RotationKeepsTheNewest25AndNeverTouchesOtherEntries) {
    const QString outside = temporary.path() + "/outside";
    writeBytes(outside + "/precious.txt", "keep me");
    const QDateTime future = QDateTime::currentDateTimeUtc().addDays(1);
    QStringList expected;
    for (int age = 0; age < 25; ++age) {
        const QString name = QStringLiteral("old-%1").arg(age, 2, 10, QLatin1Char('0'));
        QDir().mkpath(captures() + u'/' + name);
        if (age == 24) // The oldest holds a link out of the captures folder: never followed.
            QFile::link(outside, captures() + "/old-24/escape");
        setModified(captures() + u'/' + name, future.addSecs(-3600 * age));
        if (age < 24)
            expected << name;
    }
    writeBytes(captures() + "/notes.txt", "plain file");
    writeBytes(captures() + "/.hidden/inside.txt", "hidden folder");
    QFile::link(outside, captures() + "/linked");

    const CaptureBundle bundle = write();
    expected << bundle.directory.fileName();
    expected.sort();

    EXPECT_EQ(captureDirectories(), expected);
    EXPECT_TRUE(QFileInfo::exists(bundle.stableCaptureURL.toLocalFile()));
    EXPECT_TRUE(QFileInfo::exists(captures() + "/notes.txt"));
    EXPECT_TRUE(QFileInfo::exists(captures() + "/.hidden/inside.txt"));
    EXPECT_TRUE(QFileInfo(captures() + "/linked").isSymLink());
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
        if (existing == Existing::folder)
            writeBytes(desktopLink() + "/mine.txt", "user folder");
        if (existing == Existing::file)
            writeBytes(desktopLink(), "user file");

        const QString folder = write().directory.toLocalFile();

        const bool linked = existing == Existing::nothing || existing == Existing::link;
        EXPECT_EQ(QFile::symLinkTarget(latest()), folder);
        EXPECT_EQ(QFile::symLinkTarget(desktopLink()), linked ? folder : QString());
        EXPECT_EQ(entries(desktop()),
                  existing == Existing::noDesktop ? QStringList() : QStringList{"Vantrel-latest"});
        if (existing == Existing::folder) {
            EXPECT_EQ(readBytes(desktopLink() + "/mine.txt"), QByteArray("user folder"));
        }
        if (existing == Existing::file) {
            EXPECT_EQ(readBytes(desktopLink()), QByteArray("user file"));
        }
    }
}

TEST_F(CaptureBundleWriterTest, FailedCopyKeepsThePartialFolderAndBothLinks) {
    const QString first = write().directory.toLocalFile();
    clock.advance(1ms);
    QFile::remove(accessibility.fileURL.toLocalFile());
    EXPECT_TRUE(failure(first).contains(accessibility.fileURL.toLocalFile()));
    EXPECT_TRUE(QFileInfo(captures() + u'/' + folderName()).isDir());
    EXPECT_FALSE(QFileInfo::exists(captures() + u'/' + folderName() + "/capture.md"));
}

TEST_F(CaptureBundleWriterTest, BlockedCapturesFolderFailsTheWrite) {
    writeBytes(captures(), "a plain file where the folder belongs");
    EXPECT_TRUE(failure().contains(captures()));
}

TEST_F(CaptureBundleWriterTest, LatestThatCannotBeReplacedFailsTheWrite) {
    QDir().mkpath(latest() + "/occupied");
    EXPECT_TRUE(failure().contains(latest()));
    EXPECT_TRUE(QFileInfo::exists(captures() + u'/' + folderName() + "/capture1.md"));
    EXPECT_EQ(entries(vantrel()), (QStringList{"captures", "latest"}));
}

} // namespace
