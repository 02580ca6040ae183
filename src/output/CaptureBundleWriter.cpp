#include "CaptureBundleWriter.h"

#include "CaptureFolders.h"
#include "FileErrors.h"
#include "SymbolicLinks.h"
#include "platform/Clock.h"
#include "platform/StandardLocations.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QStandardPaths>

namespace vantrel {

namespace {

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw FileErrors::withReason(QStringLiteral("write"), path, file.errorString());
}

void copyFile(const QString& source, const QString& destination) {
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly))
        throw FileErrors::withReason(QStringLiteral("read"), source, input.errorString());
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError)
        throw FileErrors::withReason(QStringLiteral("read"), source, input.errorString());
    writeFile(destination, bytes);
}

// Empty when the image cannot be encoded; that only means the bundle has no screenshot.
QByteArray pngData(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QImageWriter writer(&buffer, "png");
    if (image.isNull() || !writer.write(image))
        return {};
    return bytes;
}

} // namespace

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

// Creating is the existence test, so two processes capturing in the same millisecond can never
// share a folder.
QString CaptureBundleWriter::createCaptureFolder(const QString& root) const {
    QString candidate = root + u'/' + timestampFolderName();
    for (int attempt = 1; !CaptureFolders::createExclusive(candidate); ++attempt)
        candidate = root + u'/' + timestampFolderName() + u'-' + QString::number(attempt);
    return candidate;
}

std::optional<QUrl> CaptureBundleWriter::storeScreenshot(const QString& directory,
                                                         const std::optional<QUrl>& sourceURL,
                                                         const std::optional<QImage>& image) const {
    const QString destination = directory + QStringLiteral("/screenshot.png");
    if (sourceURL && QFileInfo::exists(sourceURL->toLocalFile())) {
        copyFile(sourceURL->toLocalFile(), destination);
        return QUrl::fromLocalFile(destination);
    }
    if (!image)
        return std::nullopt;
    const QByteArray png = pngData(*image);
    if (png.isEmpty())
        return std::nullopt;
    writeFile(destination, png);
    return QUrl::fromLocalFile(destination);
}

void CaptureBundleWriter::writeDocuments(const CapturedAccessibility& accessibility,
                                         const CaptureDocumentPaths& paths) const {
    writeFile(paths.stableCaptureURL.toLocalFile(),
              m_documents.stableCaptureText(accessibility, paths).toUtf8());
    writeFile(paths.experimentalCaptureURL.toLocalFile(),
              m_documents.experimentalCaptureText(accessibility, paths).toUtf8());
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

CaptureBundle CaptureBundleWriter::write(const CapturedAccessibility& accessibility,
                                         const std::optional<QUrl>& screenshotSourceURL,
                                         const std::optional<QImage>& screenshotImage) {
    const QString root = capturesRoot();
    CaptureFolders::makePrivatePath(root);
    const QString directory = createCaptureFolder(root);

    CaptureDocumentPaths paths{
        QUrl::fromLocalFile(directory),
        QUrl::fromLocalFile(directory + QStringLiteral("/capture.md")),
        QUrl::fromLocalFile(directory + QStringLiteral("/capture1.md")),
        std::nullopt,
        QUrl::fromLocalFile(directory + QStringLiteral("/accessibility.json")),
    };
    copyFile(accessibility.fileURL.toLocalFile(), paths.accessibilityURL.toLocalFile());
    paths.screenshotURL = storeScreenshot(directory, screenshotSourceURL, screenshotImage);
    writeDocuments(accessibility, paths);
    updateLatestLinks(directory);
    CaptureFolders::rotate(root, keptCaptures, directory);
    return {paths.bundleDirectory, paths.stableCaptureURL, paths.experimentalCaptureURL,
            paths.screenshotURL, paths.accessibilityURL};
}

} // namespace vantrel
