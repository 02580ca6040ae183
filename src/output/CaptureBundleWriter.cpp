#include "CaptureBundleWriter.h"

#include "CaptureFolders.h"
#include "SnapshotJsonText.h"
#include "SymbolicLinks.h"
#include "platform/Clock.h"
#include "platform/FileErrors.h"
#include "platform/FileWriter.h"
#include "platform/StandardLocations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <QCoro/QCoroFuture>

namespace vantrel {

namespace {

const QString snapshotFileName = QStringLiteral("accessibility.json");
const QString screenshotFileName = QStringLiteral("screenshot.png");
const QString stableFileName = QStringLiteral("capture.md");
const QString experimentalFileName = QStringLiteral("capture1.md");

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

PlatformError writeError(const FileWriteFailure& failure) {
    return FileErrors::withReason(QStringLiteral("write"), failure.path, failure.reason);
}

QByteArray readSnapshot(const QUrl& fileURL) {
    QFile input(fileURL.toLocalFile());
    if (!input.open(QIODevice::ReadOnly))
        throw FileErrors::withReason(QStringLiteral("read"), input.fileName(), input.errorString());
    QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError)
        throw FileErrors::withReason(QStringLiteral("read"), input.fileName(), input.errorString());
    return bytes;
}

// Inside a draft nobody else writes, so a name can only be taken by an earlier write of ours.
void writeInto(const QString& folder, const QString& name, const QByteArray& bytes) {
    const QString path = folder + u'/' + name;
    QFile::remove(path);
    if (!FileWriter::writeNew(path, bytes))
        throw FileWriteFailure{path, QStringLiteral("the file appeared while it was written")};
}

CaptureDocumentPaths pathsIn(const QString& directory, bool withScreenshot) {
    return {
        QUrl::fromLocalFile(directory),
        QUrl::fromLocalFile(directory + u'/' + stableFileName),
        QUrl::fromLocalFile(directory + u'/' + experimentalFileName),
        withScreenshot ? std::optional(QUrl::fromLocalFile(directory + u'/' + screenshotFileName))
                       : std::nullopt,
        QUrl::fromLocalFile(directory + u'/' + snapshotFileName),
    };
}

} // namespace

// A capture folder while it is written: its hidden path, and what the documents need.
struct CaptureBundleWriter::Draft {
    QString root;
    QString path;
    const CapturedAccessibility& accessibility;
    std::optional<QString> json;

    QStringList files(bool withScreenshot) const {
        QStringList list{path + u'/' + snapshotFileName, path + u'/' + stableFileName,
                         path + u'/' + experimentalFileName};
        if (withScreenshot)
            list << path + u'/' + screenshotFileName;
        return list;
    }
};

CaptureBundleWriter::CaptureBundleWriter(Clock& clock, const UserDefaults& defaults,
                                         [[maybe_unused]] const PlatformVocabulary& vocabulary,
                                         Directories directories)
    : m_clock(clock), m_documents(clock, defaults), m_directories(std::move(directories)) {}

QString CaptureBundleWriter::vantrelDirectory() const {
    return QDir::cleanPath(m_directories.caches.value_or(StandardLocations::cachesDirectory()) +
                           QStringLiteral("/Vantrel"));
}

QString CaptureBundleWriter::capturesRoot() const {
    return vantrelDirectory() + QStringLiteral("/captures");
}

QString CaptureBundleWriter::latestLinkPath() const {
    return vantrelDirectory() + QStringLiteral("/latest");
}

QString CaptureBundleWriter::desktopLinkPath() const {
    const QString desktop = m_directories.desktop.value_or(
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    return desktop + QStringLiteral("/Vantrel-latest");
}

QString CaptureBundleWriter::timestampFolderName() const {
    const QDateTime now = m_clock.now().toLocalTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return QString::number(date.year()) + u'-' + twoDigits(date.month()) + u'-' +
           twoDigits(date.day()) + u'_' + twoDigits(time.hour()) + u'-' + twoDigits(time.minute()) +
           u'-' + twoDigits(time.second()) + u'-' +
           QStringLiteral("%1").arg(time.msec(), 3, 10, QLatin1Char('0'));
}

// The name is only a first guess: the rename that publishes the folder refuses to replace
// anything, and a clash there picks the next name.
QString CaptureBundleWriter::freeFolderName(const QString& root, int attempt) const {
    QString name = timestampFolderName();
    if (attempt > 0)
        name += u'-' + QString::number(attempt);
    while (QFileInfo::exists(root + u'/' + name))
        name = timestampFolderName() + u'-' + QString::number(++attempt);
    return name;
}

void CaptureBundleWriter::writeDocuments(const Draft& draft,
                                         const CaptureDocumentPaths& paths) const {
    writeInto(draft.path, stableFileName,
              m_documents.stableCaptureText(draft.accessibility, paths, draft.json).toUtf8());
    writeInto(draft.path, experimentalFileName,
              m_documents.experimentalCaptureText(draft.accessibility, paths, draft.json).toUtf8());
}

// Renames the draft into place under a free name; the documents name the folder, so a clash
// rewrites them for the next name first.
QString CaptureBundleWriter::publish(const Draft& draft, CaptureDocumentPaths& paths) const {
    QString name = QFileInfo(paths.bundleDirectory.toLocalFile()).fileName();
    for (int attempt = 1; !CaptureFolders::publish(draft.path, draft.root, name); ++attempt) {
        name = freeFolderName(draft.root, attempt);
        paths = pathsIn(draft.root + u'/' + name, paths.screenshotURL.has_value());
        writeDocuments(draft, paths);
        FileWriter::syncTogether(
            {draft.path + u'/' + stableFileName, draft.path + u'/' + experimentalFileName},
            {draft.path});
    }
    return draft.root + u'/' + name;
}

// Only a link is ours to replace: a file or folder the user put there stays, and the capture
// fails before anything appears.
void CaptureBundleWriter::checkLatestLink() const {
    const QString link = latestLinkPath();
    if (!SymbolicLinks::isAbsent(link) && !SymbolicLinks::isSymbolicLink(link))
        throw FileErrors::withReason(QStringLiteral("replace"), link,
                                     QStringLiteral("it is not a symbolic link"));
}

// The Desktop link is a convenience: it never fails the capture, and it never replaces anything
// there but an earlier link of ours (a user's file or folder of that name stays).
void CaptureBundleWriter::updateLatestLinks(const QString& directory) const {
    SymbolicLinks::replace(latestLinkPath(), directory);
    const QString desktopLink = desktopLinkPath();
    if (!SymbolicLinks::isAbsent(desktopLink) && !SymbolicLinks::isSymbolicLink(desktopLink))
        return;
    try {
        SymbolicLinks::replace(desktopLink, directory);
    } catch (const PlatformError&) {
    }
}

// The PNG is still being encoded beside the main thread while the other files are written. Every
// file is put on the disk together with the others before the rename, so `latest` can never
// point at a folder with a missing or truncated file, even after a crash.
QCoro::Task<CaptureBundle>
CaptureBundleWriter::write(const CapturedAccessibility& accessibility,
                           const std::optional<QFuture<QByteArray>>& screenshotPng) {
    const QString root = capturesRoot();
    CaptureFolders::prepareRoot(root);
    checkLatestLink();
    const QByteArray snapshot = readSnapshot(accessibility.fileURL);
    const bool hasPicture = screenshotPng.has_value();

    const Draft draft{root, CaptureFolders::createDraft(root), accessibility,
                      SnapshotJsonText::decode(snapshot)};
    CaptureDocumentPaths paths = pathsIn(root + u'/' + freeFolderName(root, 0), hasPicture);
    QString directory;
    try {
        writeInto(draft.path, snapshotFileName, snapshot);
        writeDocuments(draft, paths);
        if (hasPicture) {
            const QByteArray encoded = co_await *screenshotPng;
            if (encoded.isEmpty()) { // not a failure: the bundle has no screenshot then
                paths.screenshotURL.reset();
                writeDocuments(draft, paths);
            } else {
                writeInto(draft.path, screenshotFileName, encoded);
            }
        }
        FileWriter::syncTogether(draft.files(paths.screenshotURL.has_value()), {draft.path});
        directory = publish(draft, paths);
        FileWriter::syncFolder(root);
    } catch (const FileWriteFailure& failure) {
        CaptureFolders::discardDraft(draft.path);
        throw writeError(failure);
    } catch (...) {
        CaptureFolders::discardDraft(draft.path);
        throw;
    }
    updateLatestLinks(directory);
    CaptureFolders::rotate(root, keptCaptures, directory);
    const CaptureBundle bundle{paths.bundleDirectory, paths.stableCaptureURL,
                               paths.experimentalCaptureURL, paths.screenshotURL,
                               paths.accessibilityURL};
    co_return bundle;
}

} // namespace vantrel
