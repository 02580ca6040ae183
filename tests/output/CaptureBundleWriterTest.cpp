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
        QDir().mkpath(desktop());
        accessibility = snapshotAt(temporary.path() + QStringLiteral("/ax/ax-1.json"),
                                   R"({"role": "AXButton"})");
    }

    CaptureBundleWriter writer() {
        return CaptureBundleWriter(clock, defaults, vocabulary, {caches(), desktop()});
    }

    CaptureBundle write(std::optional<QUrl> source = std::nullopt,
                        std::optional<QImage> image = std::nullopt) {
        return writer().write(accessibility, source, image);
    }

    std::optional<PlatformError> writeError() {
        try {
            write();
        } catch (const PlatformError& error) {
            return error;
        }
        return std::nullopt;
    }

    QString caches() const { return temporary.path() + QStringLiteral("/cache"); }
    QString vantrel() const { return caches() + QStringLiteral("/Vantrel"); }
    QString captures() const { return vantrel() + QStringLiteral("/captures"); }
    QString latest() const { return vantrel() + QStringLiteral("/latest"); }
    QString desktop() const { return temporary.path() + QStringLiteral("/Desktop"); }
    QString desktopLink() const { return desktop() + QStringLiteral("/Vantrel-latest"); }
    QString folderName() const {
        return clock.now().toLocalTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss-zzz"));
    }
    QStringList captureDirectories() const {
        return QDir(captures()).entryList(QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    }

    QTemporaryDir temporary;
    VirtualClock clock{QDateTime(QDate(2025, 3, 7), QTime(14, 5, 9, 42), Qt::UTC)};
    MemoryUserDefaults defaults;
    PlatformVocabulary vocabulary = PlatformVocabulary::macOS();
    CapturedAccessibility accessibility;
};

TEST_F(CaptureBundleWriterTest, WritesTheFolderAndItsFiles) {
    const CaptureBundle bundle = write();
    const QString folder = captures() + u'/' + folderName();
    EXPECT_EQ(bundle.directory.toLocalFile(), folder);
    EXPECT_EQ(bundle.stableCaptureURL.toLocalFile(), folder + "/capture.md");
    EXPECT_EQ(bundle.experimentalCaptureURL.toLocalFile(), folder + "/capture1.md");
    EXPECT_EQ(bundle.accessibilityURL.toLocalFile(), folder + "/accessibility.json");
    EXPECT_EQ(readBytes(folder + "/accessibility.json"), QByteArray(R"({"role": "AXButton"})"));
    EXPECT_EQ(readLines(folder + "/capture.md").first(), "# Vantrel capture");
    EXPECT_TRUE(readLines(folder + "/capture1.md").contains("Bundle folder: " + folder));
    EXPECT_EQ(modeOf(vantrel()), 0700u);
    EXPECT_EQ(modeOf(captures()), 0700u);
}

TEST_F(CaptureBundleWriterTest, ScreenshotComesFromTheFileOrTheImageOrNowhere) {
    const QByteArray jpeg("\xff\xd8\xff\xe0 not re-encoded");
    const QString source = temporary.path() + "/shots/shot.jpg";
    writeBytes(source, jpeg);
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    enum class Expect { copy, png, none };
    struct Case {
        std::optional<QUrl> source;
        std::optional<QImage> image;
        Expect expect;
    };
    const Case cases[] = {
        {QUrl::fromLocalFile(source), image, Expect::copy},
        {QUrl::fromLocalFile(source + ".gone"), image, Expect::png},
        {std::nullopt, image, Expect::png},
        {QUrl::fromLocalFile(source + ".gone"), std::nullopt, Expect::none},
        {std::nullopt, QImage(), Expect::none},
    };
    for (const Case& c : cases) {
        clock.advance(1ms);
        const CaptureBundle bundle = write(c.source, c.image);
        const QString stored = bundle.directory.toLocalFile() + "/screenshot.png";
        const QString capture = readBytes(bundle.stableCaptureURL.toLocalFile());
        const QString capture1 = readBytes(bundle.experimentalCaptureURL.toLocalFile());
        if (c.expect == Expect::none) {
            EXPECT_FALSE(bundle.screenshotURL);
            EXPECT_FALSE(QFileInfo::exists(stored));
            EXPECT_FALSE(capture.contains("screenshot.png —"));
            EXPECT_FALSE(capture1.contains("Screenshot: "));
            continue;
        }
        ASSERT_TRUE(bundle.screenshotURL);
        EXPECT_EQ(bundle.screenshotURL->toLocalFile(), stored);
        EXPECT_TRUE(capture.contains("- screenshot.png — `" + stored + "`"));
        if (c.expect == Expect::copy) {
            EXPECT_EQ(readBytes(stored), jpeg);
        } else {
            EXPECT_TRUE(readBytes(stored).startsWith("\x89PNG"));
            EXPECT_EQ(QImage(stored).size(), QSize(4, 3));
        }
    }
}

TEST_F(CaptureBundleWriterTest, TakenFolderNameGetsANumberedSuffix) {
    enum class Kind { folder, file, danglingLink };
    struct Case {
        QList<QPair<QString, Kind>> taken;
        QString expectedSuffix;
    };
    const Case cases[] = {
        {{{"", Kind::folder}}, "-1"},
        {{{"", Kind::folder}, {"-1", Kind::folder}}, "-2"},
        {{{"", Kind::file}}, "-1"},
        {{{"", Kind::danglingLink}}, "-1"},
    };
    for (const Case& c : cases) {
        clock.advance(1s);
        QDir().mkpath(captures());
        const QString base = captures() + u'/' + folderName();
        for (const auto& [suffix, kind] : c.taken) {
            if (kind == Kind::folder)
                QDir().mkpath(base + suffix);
            else if (kind == Kind::file)
                writeBytes(base + suffix, "x");
            else
                QFile::link(temporary.path() + "/nowhere", base + suffix);
        }
        EXPECT_EQ(write().directory.toLocalFile(), base + c.expectedSuffix);
        EXPECT_TRUE(QFileInfo::exists(base + c.expectedSuffix + "/capture.md"));
    }
}

TEST_F(CaptureBundleWriterTest, RotationKeepsTheNewest25AndNeverTouchesOtherEntries) {
    const QString outside = temporary.path() + "/outside";
    writeBytes(outside + "/precious.txt", "keep me");
    QDir().mkpath(captures());
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int age = 0; age < 25; ++age) {
        const QString folder =
            captures() + QStringLiteral("/old-%1").arg(age, 2, 10, QLatin1Char('0'));
        QDir().mkpath(folder);
        setModified(folder, now.addSecs(-3600 * (age + 1)));
    }
    // The oldest folder holds a link out of the captures folder; deleting it must not follow.
    QFile::link(outside, captures() + "/old-24/escape");
    setModified(captures() + "/old-24", now.addSecs(-3600 * 25));
    writeBytes(captures() + "/notes.txt", "plain file");
    writeBytes(captures() + "/.hidden/inside.txt", "hidden folder");
    QFile::link(outside, captures() + "/linked");

    const CaptureBundle bundle = write();

    QStringList expected;
    for (int age = 0; age < 24; ++age)
        expected << QStringLiteral("old-%1").arg(age, 2, 10, QLatin1Char('0'));
    expected << bundle.directory.fileName();
    expected.sort();
    EXPECT_EQ(captureDirectories(), expected);
    EXPECT_TRUE(QFileInfo::exists(captures() + "/notes.txt"));
    EXPECT_TRUE(QFileInfo::exists(captures() + "/.hidden/inside.txt"));
    EXPECT_TRUE(QFileInfo(captures() + "/linked").isSymLink());
    EXPECT_EQ(readBytes(outside + "/precious.txt"), QByteArray("keep me"));
}

TEST_F(CaptureBundleWriterTest, RotationNeverDeletesTheFolderJustWritten) {
    QDir().mkpath(captures());
    const QDateTime future = QDateTime::currentDateTimeUtc().addDays(1);
    for (int index = 0; index < 25; ++index) {
        const QString folder =
            captures() + QStringLiteral("/future-%1").arg(index, 2, 10, QLatin1Char('0'));
        QDir().mkpath(folder);
        setModified(folder, future.addSecs(index));
    }
    const CaptureBundle bundle = write();
    EXPECT_TRUE(QFileInfo::exists(bundle.stableCaptureURL.toLocalFile()));
    EXPECT_EQ(captureDirectories().size(), 25);
    EXPECT_FALSE(QFileInfo::exists(captures() + "/future-00"));
    EXPECT_EQ(QFile::symLinkTarget(latest()), bundle.directory.toLocalFile());
}

TEST_F(CaptureBundleWriterTest, LinksFollowTheLatestWriteAndLeaveNoTemporaryLink) {
    write();
    clock.advance(1ms);
    const CaptureBundle second = write();
    EXPECT_EQ(QFile::symLinkTarget(latest()), second.directory.toLocalFile());
    EXPECT_EQ(QFile::symLinkTarget(desktopLink()), second.directory.toLocalFile());
    EXPECT_EQ(entries(vantrel()), (QStringList{"captures", "latest"}));
    EXPECT_EQ(entries(desktop()), QStringList{"Vantrel-latest"});
}

TEST_F(CaptureBundleWriterTest, DesktopLinkIsBestEffortAndReplacesOnlyALink) {
    enum class Existing { nothing, link, folder, file, noDesktop };
    struct Case {
        Existing existing;
        bool linked;
    };
    const Case cases[] = {
        {Existing::nothing, true}, {Existing::link, true},       {Existing::folder, false},
        {Existing::file, false},   {Existing::noDesktop, false},
    };
    for (const Case& c : cases) {
        QDir(desktop()).removeRecursively();
        if (c.existing != Existing::noDesktop)
            QDir().mkpath(desktop());
        if (c.existing == Existing::link)
            QFile::link(temporary.path(), desktopLink());
        if (c.existing == Existing::folder)
            writeBytes(desktopLink() + "/mine.txt", "user folder");
        if (c.existing == Existing::file)
            writeBytes(desktopLink(), "user file");
        clock.advance(1ms);

        const CaptureBundle bundle = write();

        const auto label = static_cast<int>(c.existing);
        EXPECT_EQ(QFile::symLinkTarget(latest()), bundle.directory.toLocalFile()) << label;
        if (c.linked) {
            EXPECT_EQ(QFile::symLinkTarget(desktopLink()), bundle.directory.toLocalFile()) << label;
        }
        if (c.existing == Existing::folder) {
            EXPECT_EQ(entries(desktopLink()), QStringList{"mine.txt"});
        }
        if (c.existing == Existing::file) {
            EXPECT_EQ(readBytes(desktopLink()), QByteArray("user file"));
        }
        if (c.existing == Existing::noDesktop) {
            EXPECT_FALSE(QFileInfo::exists(desktop()));
        } else {
            EXPECT_EQ(entries(desktop()), QStringList{"Vantrel-latest"}) << label;
        }
    }
}

TEST_F(CaptureBundleWriterTest, FailedCopyKeepsThePartialFolderAndBothLinks) {
    const CaptureBundle first = write();
    clock.advance(1ms);
    QFile::remove(accessibility.fileURL.toLocalFile());

    const auto error = writeError();

    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, "file");
    EXPECT_TRUE(error->description.contains(accessibility.fileURL.toLocalFile()))
        << error->description.toStdString();
    const QString partial = captures() + u'/' + folderName();
    EXPECT_TRUE(QFileInfo(partial).isDir());
    EXPECT_FALSE(QFileInfo::exists(partial + "/capture.md"));
    EXPECT_EQ(QFile::symLinkTarget(latest()), first.directory.toLocalFile());
    EXPECT_EQ(QFile::symLinkTarget(desktopLink()), first.directory.toLocalFile());
}

TEST_F(CaptureBundleWriterTest, BlockedCapturesFolderIsATypedError) {
    writeBytes(captures(), "a plain file where the folder belongs");

    const auto error = writeError();

    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, "file");
    EXPECT_TRUE(error->description.contains(captures())) << error->description.toStdString();
    EXPECT_FALSE(QFileInfo(latest()).isSymLink());
    EXPECT_FALSE(QFileInfo(desktopLink()).isSymLink());
}

TEST_F(CaptureBundleWriterTest, LatestThatCannotBeReplacedFailsTheWrite) {
    QDir().mkpath(latest() + "/occupied");

    const auto error = writeError();

    ASSERT_TRUE(error);
    EXPECT_TRUE(error->description.contains(latest())) << error->description.toStdString();
    EXPECT_TRUE(QFileInfo::exists(captures() + u'/' + folderName() + "/capture1.md"));
    EXPECT_EQ(entries(vantrel()), (QStringList{"captures", "latest"}));
    EXPECT_FALSE(QFileInfo(desktopLink()).isSymLink());
}

} // namespace
