// Captures under real faults: a full disk, a file-size limit, many processes at once. Whatever
// happens, a capture either reports success with every file whole, or fails naming the path and
// the reason, leaving no folder under a capture-folder name, `latest` unmoved and nothing on the
// pasteboard.

#include "support/VantrelProcess.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <QSet>

#include <memory>
#include <vector>

using namespace vantrel::testing;

namespace {

const QRegularExpression captureFolderName(
    QStringLiteral("^captures/(\\d+-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2}-\\d{3}(-\\d+)?)/(.*)$"));

// A one-window desktop whose window is `width` points wide, so each run's picture is its own.
QByteArray sceneOfWidth(int width) {
    return QStringLiteral(R"({
      "screens": [{"frame": [0, 0, 1440, 900], "scale": 1, "number": 1}],
      "mouse": [300, 640],
      "permissions": {"accessibility": true, "screenRecording": true},
      "frontmost": 501,
      "apps": [{"pid": 501, "name": "Mail", "bundleId": "com.example.mail"}],
      "windows": [{"id": 11, "pid": 501, "title": "Inbox", "bounds": [100, 60, %1, 600],
        "ax": {"role": "AXWindow", "title": "Inbox", "frame": [100, 60, %1, 600], "children": [
          {"role": "AXButton", "title": "Send", "frame": [120, 240, 80, 30]}]}}]
    })")
        .arg(width)
        .toUtf8();
}

QString writeScene(const VantrelProcess& vantrel, int width) {
    return vantrel.writeFile(QStringLiteral("scene-%1.json").arg(width), sceneOfWidth(width));
}

// The files under the Vantrel caches folder, each with its size, as `find` listed them.
struct Listing {
    QMap<QString, qint64> files;
    QString latest;

    QStringList captureFolders() const {
        QStringList folders;
        for (const QString& path : files.keys()) {
            const auto match = captureFolderName.match(path);
            if (match.hasMatch() && !folders.contains(match.captured(1)))
                folders << match.captured(1);
        }
        return folders;
    }

    // Every file a capture folder must hold, and none empty.
    void expectComplete(const QString& folder, bool withScreenshot = true) const {
        QStringList names{"accessibility.json", "capture.md", "capture1.md"};
        if (withScreenshot)
            names << "screenshot.png";
        for (const QString& name : names) {
            const QString path = "captures/" + folder + '/' + name;
            EXPECT_GT(files.value(path, 0), 0) << path.toStdString();
        }
    }
};

Listing parseListing(const QString& text) {
    Listing listing;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith("latest -> ")) {
            listing.latest = line.mid(10);
            continue;
        }
        const qsizetype space = line.indexOf(u' ');
        listing.files.insert(line.mid(space + 1), line.left(space).toLongLong());
    }
    return listing;
}

// Lists the caches folder from inside the script, so a private mount can still be looked at.
const QString listCaches = QStringLiteral(R"sh(
  echo "=== listing"
  cd "$XDG_CACHE_HOME/Vantrel" 2>/dev/null && find . -type f -printf '%s %P\n'
  [ -L latest ] && echo "latest -> $(readlink latest)"
  true
)sh");

struct ScriptRun {
    int exitCode = -1;
    QJsonObject report;
    Listing listing;
    QString err;
};

// Runs setup, one capture and the listing as one script, inside a private mount namespace
// when asked, so a mount made there vanishes with the script.
ScriptRun runScript(const VantrelProcess& vantrel, const QString& setup, const QString& mode,
                    const QString& scene, bool privateMounts = false) {
    const QString capture = QStringLiteral(R"(
      "$VANTREL" capture --scene "%1" --mode %2 --json; code=$?
      echo "=== exit $code"
    )");
    const QString path =
        vantrel.writeFile("run.sh", (setup + capture.arg(scene, mode) + listCaches).toUtf8());
    const QString command =
        privateMounts ? "exec unshare --mount --propagation private bash " : "exec bash ";
    const auto result = vantrel.runScript(command + '"' + path + '"');
    ScriptRun run;
    const qsizetype exitMark = result.out.indexOf("=== exit ");
    const qsizetype listMark = result.out.indexOf("=== listing");
    if (exitMark < 0 || listMark < 0) {
        ADD_FAILURE() << result.out.toStdString() << result.err.toStdString();
        return run;
    }
    run.report = QJsonDocument::fromJson(result.out.left(exitMark).toUtf8()).object();
    run.exitCode = result.out.mid(exitMark + 9, listMark - exitMark - 9).trimmed().toInt();
    run.listing = parseListing(result.out.mid(listMark + 11));
    run.err = result.err;
    return run;
}

// Success with every file whole, or a clean failure that says where and why.
void expectWholeOrClean(const ScriptRun& run, const QString& mode, const QString& reason) {
    const bool bundle = mode == "bundle";
    if (run.exitCode == 0) {
        EXPECT_TRUE(run.report["ok"].toBool());
        EXPECT_FALSE(run.report["pasteboard"].toArray().isEmpty());
        if (bundle) {
            ASSERT_EQ(run.listing.captureFolders().size(), 1);
            run.listing.expectComplete(run.listing.captureFolders().first());
            EXPECT_TRUE(run.listing.latest.endsWith(run.listing.captureFolders().first()));
        }
        for (auto it = run.listing.files.cbegin(); it != run.listing.files.cend(); ++it)
            EXPECT_TRUE(it.value() > 0 || it.key() == "filler") << it.key().toStdString();
        return;
    }
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    const QString error = run.report["error"].toString();
    EXPECT_TRUE(error.contains(reason)) << error.toStdString();
    EXPECT_TRUE(error.contains(u'/')) << error.toStdString(); // names the path
    EXPECT_TRUE(run.report["pasteboard"].toArray().isEmpty());
    EXPECT_TRUE(run.listing.captureFolders().isEmpty());
    EXPECT_TRUE(run.listing.latest.isEmpty());
    // What the failed capture wrote is gone again; nothing half-written stays behind.
    for (auto it = run.listing.files.cbegin(); it != run.listing.files.cend(); ++it)
        EXPECT_TRUE(it.key() == "filler") << it.key().toStdString();
}

bool canMountPrivately() {
    return !QStandardPaths::findExecutable("unshare").isEmpty() &&
           QProcess::execute("unshare", {"--mount", "--propagation", "private", "sh", "-c",
                                         "mount -t tmpfs -o size=64k tmpfs /mnt"}) == 0;
}

} // namespace

// A 200 KiB filesystem, already partly full: each amount of free space must end in one of the
// two honest outcomes, never in a success with empty files.
TEST(CaptureFaults, AFullDiskEndsInWholeFilesOrACleanFailure) {
    if (!canMountPrivately())
        GTEST_SKIP() << "no private mounts here; the file-size limit test covers the same path";
    VantrelProcess vantrel;
    const QString scene = writeScene(vantrel, 900);
    int failures = 0;
    for (const char* mode : {"bundle", "tree", "screenshot"}) {
        for (const int used : {0, 100, 150, 180, 192, 198}) {
            SCOPED_TRACE(QStringLiteral("%1 with %2 KiB used").arg(mode).arg(used).toStdString());
            const QString setup = QStringLiteral(R"(
              mkdir -p "$XDG_CACHE_HOME" && mount -t tmpfs -o size=200k tmpfs "$XDG_CACHE_HOME" &&
              mkdir -p "$XDG_CACHE_HOME/Vantrel" &&
              head -c %1k /dev/zero > "$XDG_CACHE_HOME/Vantrel/filler" || exit 3
            )")
                                      .arg(used);
            const auto run = runScript(vantrel, setup, mode, scene, true);
            expectWholeOrClean(run, mode, "No space left on device");
            failures += run.exitCode != 0;
        }
    }
    EXPECT_GT(failures, 3); // the fuller disks did fail
}

// The same through a limit on file size: writes past it fail as they would on a full disk.
TEST(CaptureFaults, AFileSizeLimitEndsInWholeFilesOrACleanFailure) {
    VantrelProcess vantrel;
    const QString scene = writeScene(vantrel, 900);
    int failures = 0;
    for (const char* mode : {"bundle", "tree", "screenshot"}) {
        for (const int kib : {2, 8, 30, 100000}) {
            SCOPED_TRACE(QStringLiteral("%1 under %2 KiB").arg(mode).arg(kib).toStdString());
            // Ignored, the signal turns the oversized write into an error the program sees.
            const QString setup = QStringLiteral("trap '' XFSZ; ulimit -f %1\n").arg(kib);
            const auto run = runScript(vantrel, setup, mode, scene);
            expectWholeOrClean(run, mode, "File too large");
            failures += run.exitCode != 0;
            QDir(vantrel.cacheDir()).removeRecursively();
        }
    }
    EXPECT_GE(failures, 3);
}

// Many processes capturing different desktops at the same moment: each gets its own picture,
// every folder that remains is whole, and rotation keeps exactly 25.
TEST(CaptureFaults, ParallelCapturesNeverShareOrLoseFiles) {
    VantrelProcess vantrel;
    constexpr int runs = 30;
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int index = 0; index < runs; ++index) {
        const QString scene = writeScene(vantrel, 400 + index);
        processes.push_back(std::make_unique<QProcess>());
        vantrel.start(*processes.back(), QStringLiteral(VANTREL_BINARY),
                      {"capture", "--scene", scene, "--json"});
    }
    QSet<QString> shots;
    for (int index = 0; index < runs; ++index) {
        SCOPED_TRACE(index);
        const auto result = VantrelProcess::finish(*processes[index]);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QJsonObject report = result.json();
        const QJsonObject image = report["pasteboard"][0]["public.tiff"].toObject();
        EXPECT_EQ(image["width"].toInt(), 400 + index);
        const QString text = report["pasteboard"][0]["public.utf8-plain-text"].toString();
        const auto shot = QRegularExpression(R"(\n(/\S+/screenshot\.png)\n)").match(text);
        ASSERT_TRUE(shot.hasMatch());
        shots << shot.captured(1);
        // A folder rotated away by a later run is gone whole; one that is there is this run's.
        if (QFile::exists(shot.captured(1))) {
            EXPECT_EQ(QImage(shot.captured(1)).width(), 400 + index);
        }
    }
    EXPECT_EQ(shots.size(), runs);
    EXPECT_EQ(QDir(vantrel.cacheDir() + "/Vantrel/shots").entryList(QDir::Files).size(), runs);

    const auto listing = parseListing(vantrel.runScript(listCaches).out.section("=== listing", 1));
    EXPECT_EQ(listing.captureFolders().size(), 25);
    for (const QString& folder : listing.captureFolders())
        listing.expectComplete(folder);
}

// The capture happened, so the report still comes out whole; only the exit code says that the
// pasteboard file could not be written.
TEST(CaptureFaults, APasteboardFileThatCannotBeWrittenStillReportsTheCapture) {
    VantrelProcess vantrel;
    const QString missing = vantrel.home() + "/no/such/folder/pasteboard.json";
    const auto result = vantrel.run({"capture", "--scene", VantrelProcess::scene("demo.json"),
                                     "--json", "--pasteboard-out", missing});
    EXPECT_EQ(result.exitCode, 1);
    const QJsonObject report = result.json();
    EXPECT_TRUE(report["ok"].toBool());
    EXPECT_FALSE(report["pasteboard"].toArray().isEmpty());
    EXPECT_TRUE(report["pasteboardOutError"].toString().contains("No such file"))
        << result.out.toStdString();
    EXPECT_TRUE(result.err.contains(missing));
}
