#include "PasteboardWriter.h"

#include "CaptureBundleFormatSettings.h"
#include "SnapshotJsonText.h"
#include "platform/Pasteboard.h"

#include <QFile>
#include <QStringList>

namespace vantrel {

namespace {

// Said only when a picture is on the pasteboard, naming what it shows.
QString screenshotAttachedLine(ScreenshotSubject subject) {
    switch (subject) {
    case ScreenshotSubject::frontmostWindow:
        return QStringLiteral("Screenshot attached on this pasteboard (frontmost window).");
    case ScreenshotSubject::display:
        return QStringLiteral("Screenshot attached on this pasteboard (whole display).");
    case ScreenshotSubject::area:
        return QStringLiteral("Screenshot attached on this pasteboard (selected area).");
    }
    Q_UNREACHABLE();
}

QString localPath(const QUrl& url) {
    return url.toLocalFile();
}

// The formats that also hand over the screenshot file.
bool listsScreenshotFile(BundlePasteboardFormat format) {
    return format == BundlePasteboardFormat::claudeCodeV1 ||
           format == BundlePasteboardFormat::experimentA ||
           format == BundlePasteboardFormat::cursorV1;
}

bool imageFollowsText(BundlePasteboardFormat format) {
    return format == BundlePasteboardFormat::claudeCodeV1 ||
           format == BundlePasteboardFormat::experimentB;
}

std::optional<QByteArray> readBytes(const QUrl& fileURL) {
    QFile file(fileURL.toLocalFile());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

PasteboardWriter::PasteboardWriter(Pasteboard& pasteboard, const UserDefaults& defaults,
                                   const PlatformVocabulary& vocabulary)
    : m_pasteboard(pasteboard), m_defaults(defaults), m_vocabulary(vocabulary) {}

CaptureBundleFormat PasteboardWriter::bundleFormat() const {
    return CaptureBundleFormatSettings::activeFormat(m_defaults);
}

QUrl PasteboardWriter::captureDocument(const CaptureBundle& bundle) const {
    return bundleFormat() == CaptureBundleFormat::stable ? bundle.stableCaptureURL
                                                         : bundle.experimentalCaptureURL;
}

void PasteboardWriter::writeBundle(const CaptureBundle& bundle,
                                   const CapturedAccessibility& accessibility,
                                   const std::optional<QImage>& screenshot,
                                   ScreenshotSubject subject,
                                   BundlePasteboardFormat pasteboardFormat) {
    m_pasteboard.clearContents();
    const bool hasImage = screenshot && !screenshot->isNull();
    const bool attachesImage =
        hasImage && (pasteboardFormat == BundlePasteboardFormat::claudeCodeV2 ||
                     imageFollowsText(pasteboardFormat));
    const QString text =
        bundlePasteboardText(bundle, accessibility, pasteboardFormat,
                             attachesImage ? std::optional(subject) : std::nullopt);
    if (pasteboardFormat == BundlePasteboardFormat::claudeCodeV2) {
        if (hasImage)
            m_pasteboard.writeObjects({*screenshot});
        writeText(text);
        return;
    }
    QList<Pasteboard::Object> fileURLs{captureDocument(bundle)};
    if (listsScreenshotFile(pasteboardFormat) && bundle.screenshotURL)
        fileURLs.append(*bundle.screenshotURL);
    m_pasteboard.writeObjects(fileURLs);
    writeText(text);
    if (imageFollowsText(pasteboardFormat) && hasImage)
        m_pasteboard.writeObjects({*screenshot});
}

void PasteboardWriter::writeScreenshot(const QImage& image, const std::optional<QUrl>& fileURL,
                                       ScreenshotSubject subject) {
    m_pasteboard.clearContents();
    m_pasteboard.writeObjects({image});
    QStringList lines{QStringLiteral("# Vantrel · screenshot"), screenshotAttachedLine(subject)};
    if (fileURL)
        lines << QStringLiteral("File: ") + localPath(*fileURL);
    writeText(lines.join(u'\n'));
}

void PasteboardWriter::writeTree(const CapturedAccessibility& accessibility) {
    m_pasteboard.clearContents();
    writeText(treePasteboardText(accessibility));
    if (const auto bytes = readBytes(accessibility.fileURL))
        m_pasteboard.setData(*bytes, Pasteboard::jsonType);
}

QString PasteboardWriter::bundlePasteboardText(const CaptureBundle& bundle,
                                               const CapturedAccessibility& accessibility,
                                               BundlePasteboardFormat pasteboardFormat,
                                               std::optional<ScreenshotSubject> attached) const {
    switch (pasteboardFormat) {
    case BundlePasteboardFormat::claudeCodeV2:
        return richBundlePasteboardText(bundle, accessibility, false, attached);
    case BundlePasteboardFormat::cursorV2:
        return richBundlePasteboardText(bundle, accessibility, true, attached);
    default:
        return standardBundleText(bundle, accessibility, pasteboardFormat);
    }
}

QString PasteboardWriter::standardBundleText(const CaptureBundle& bundle,
                                             const CapturedAccessibility& accessibility,
                                             BundlePasteboardFormat pasteboardFormat) const {
    QStringList lines{
        QStringLiteral("# Vantrel · bundle (") + fileName(bundleFormat()) + u')',
        QStringLiteral("Paste format: ") + title(pasteboardFormat),
        QStringLiteral("Target: ") + accessibility.summary,
        u'@' + localPath(captureDocument(bundle)),
    };
    if (listsScreenshotFile(pasteboardFormat) && bundle.screenshotURL)
        lines << u'@' + localPath(*bundle.screenshotURL);
    return lines.join(u'\n');
}

// Agents go looking for a picture when told one is attached, so the line is there only when one
// is, and says what it shows.
QString PasteboardWriter::richBundlePasteboardText(
    const CaptureBundle& bundle, const CapturedAccessibility& accessibility, bool includeAtFile,
    std::optional<ScreenshotSubject> attached) const {
    QStringList lines;
    if (includeAtFile) {
        lines << QStringLiteral("# Vantrel · bundle (Cursor: file + text)")
              << u'@' + localPath(captureDocument(bundle));
    } else {
        lines << QStringLiteral("# Vantrel · bundle (paste: image + text)");
        if (attached)
            lines << screenshotAttachedLine(*attached);
    }
    lines << QStringLiteral("Target: ") + accessibility.summary << QString()
          << QStringLiteral("## Accessibility summary") << accessibility.inlinePreview << QString()
          << QStringLiteral("## Files on disk") << localPath(captureDocument(bundle));
    if (bundle.screenshotURL)
        lines << localPath(*bundle.screenshotURL);
    lines << localPath(bundle.accessibilityURL)
          << QStringLiteral("Bundle folder: ") + localPath(bundle.directory);
    return lines.join(u'\n');
}

QString PasteboardWriter::treePasteboardText(const CapturedAccessibility& accessibility) const {
    QStringList lines{
        QStringLiteral("# Vantrel · accessibility tree"),
        QString(),
        QStringLiteral("[ACCESSIBILITY]"),
        m_vocabulary.accessibilitySnapshotName + QStringLiteral(" under the cursor."),
        QStringLiteral("Target: ") + accessibility.summary,
        QString(),
        accessibility.inlinePreview,
    };
    if (const auto json = SnapshotJsonText::read(accessibility.fileURL)) {
        lines << QString() << QStringLiteral("Full AX JSON:") << QStringLiteral("```json")
              << SnapshotJsonText::truncated(*json, treeJsonClusterLimit) << QStringLiteral("```");
    }
    lines << QString()
          << QStringLiteral("For screenshot + files on disk, switch to Bundle mode (") +
                 m_vocabulary.copyHotKey + QStringLiteral(", mode in menu).");
    return lines.join(u'\n');
}

// The string is replaced by the UTF-8 data, so what a reader gets is exactly those bytes.
void PasteboardWriter::writeText(const QString& text) {
    m_pasteboard.setString(text, Pasteboard::plainTextType);
    m_pasteboard.setData(text.toUtf8(), Pasteboard::plainTextType);
}

} // namespace vantrel
