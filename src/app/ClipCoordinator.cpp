#include "ClipCoordinator.h"

#include "accessibility/AccessibilityCapturing.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "output/BundleWriting.h"
#include "output/PasteboardWriting.h"
#include "screen/ScreenCapturing.h"

#include <QFile>

#include <initializer_list>

namespace vantrel {

namespace {

// An area capture snapshots at the area's centre, whatever the cursor did.
std::optional<QPointF> capturePoint(std::optional<QPointF> mouseLocation,
                                    std::optional<QRectF> regionScreenRect) {
    if (regionScreenRect)
        return regionScreenRect->center();
    return mouseLocation;
}

// A failed capture takes back the files it wrote itself: nothing refers to them.
void removeFiles(std::initializer_list<std::optional<QUrl>> files) {
    for (const auto& file : files) {
        if (file)
            QFile::remove(file->toLocalFile());
    }
}

} // namespace

ClipCoordinator::ClipCoordinator(Services services) : m_services(services) {}

QCoro::Task<CaptureOutcome> ClipCoordinator::capture(CaptureMode mode,
                                                     std::optional<QPointF> mouseLocation,
                                                     std::optional<QRectF> regionScreenRect,
                                                     bool preferFrontWindows) {
    switch (mode) {
    case CaptureMode::bundle:
        co_return co_await captureBundle(mouseLocation, regionScreenRect, preferFrontWindows);
    case CaptureMode::screenshot:
        co_return co_await captureScreenshotOnly(regionScreenRect);
    case CaptureMode::tree:
        co_return captureTreeOnly(mouseLocation, regionScreenRect, preferFrontWindows);
    }
    Q_UNREACHABLE();
}

std::variant<CapturedAccessibility, CaptureError>
ClipCoordinator::accessibilityOrError(std::optional<QPointF> mouseLocation,
                                      std::optional<QRectF> regionScreenRect,
                                      bool preferFrontWindows) {
    try {
        return m_services.accessibilityCapture.captureUnderMouse(
            capturePoint(mouseLocation, regionScreenRect), regionScreenRect, preferFrontWindows);
    } catch (const AccessibilityCaptureError& error) {
        return error;
    }
}

QCoro::Task<CaptureOutcome> ClipCoordinator::captureBundle(std::optional<QPointF> mouseLocation,
                                                           std::optional<QRectF> regionScreenRect,
                                                           bool preferFrontWindows) {
    const auto snapshot = accessibilityOrError(mouseLocation, regionScreenRect, preferFrontWindows);
    if (const auto* error = std::get_if<CaptureError>(&snapshot))
        co_return CaptureOutcome::failure(*error);
    const auto& accessibility = std::get<CapturedAccessibility>(snapshot);

    // The bundle's PNG is encoded from the moment the pixels exist, beside the JPEG.
    const auto screenshot = co_await screenshotOrError(regionScreenRect, PngWanted::yes);
    if (const auto* error = std::get_if<CaptureError>(&screenshot)) {
        removeFiles({accessibility.fileURL});
        co_return CaptureOutcome::failure(*error);
    }
    const auto& shot = std::get<ScreenshotPair>(screenshot);

    std::optional<CaptureBundle> bundle;
    std::optional<PlatformError> writeError;
    try {
        bundle = co_await m_services.bundleWriter.write(accessibility, shot.png);
    } catch (const PlatformError& error) {
        writeError = error;
    }
    if (writeError) {
        removeFiles({accessibility.fileURL, shot.fileURL});
        co_return CaptureOutcome::failure(*writeError);
    }

    m_services.pasteboardWriter.writeBundle(
        *bundle, accessibility, shot.image, shot.subject,
        BundlePasteboardFormatSettings::activeFormat(m_services.defaults));
    co_return CaptureOutcome::success(bundleStatusLine(accessibility, regionScreenRect.has_value()),
                                      accessibility);
}

QString ClipCoordinator::bundleStatusLine(const CapturedAccessibility& accessibility,
                                          bool hasRegion) const {
    QString line = QStringLiteral("Copied for ") +
                   title(AgentPasteTargetSettings::target(m_services.defaults)) +
                   QStringLiteral(": ") + accessibility.summary + QStringLiteral(" · ") +
                   QString::number(accessibility.nodeCount) + QStringLiteral(" AX nodes");
    if (accessibility.regionNote)
        line += QStringLiteral(" · ") + *accessibility.regionNote;
    else if (hasRegion)
        line += QStringLiteral(" · region capture");
    return line;
}

QCoro::Task<CaptureOutcome>
ClipCoordinator::captureScreenshotOnly(std::optional<QRectF> regionScreenRect) {
    // The clipboard makes its PNG only if a receiver asks for one.
    const auto screenshot = co_await screenshotOrError(regionScreenRect, PngWanted::no);
    if (const auto* error = std::get_if<CaptureError>(&screenshot))
        co_return CaptureOutcome::failure(*error);
    const auto& shot = std::get<ScreenshotPair>(screenshot);
    if (!shot.image) {
        removeFiles({shot.fileURL});
        co_return CaptureOutcome::failure(ScreenCaptureError::captureFailed());
    }

    m_services.pasteboardWriter.writeScreenshot(*shot.image, shot.fileURL, shot.subject);
    co_return CaptureOutcome::success(
        QStringLiteral("Copied screenshot. Paste once for the image."));
}

CaptureOutcome ClipCoordinator::captureTreeOnly(std::optional<QPointF> mouseLocation,
                                                std::optional<QRectF> regionScreenRect,
                                                bool preferFrontWindows) {
    const auto snapshot = accessibilityOrError(mouseLocation, regionScreenRect, preferFrontWindows);
    if (const auto* error = std::get_if<CaptureError>(&snapshot))
        return CaptureOutcome::failure(*error);
    const auto& accessibility = std::get<CapturedAccessibility>(snapshot);
    m_services.pasteboardWriter.writeTree(accessibility);
    return CaptureOutcome::success(QStringLiteral("Copied AX tree (inline JSON): ") +
                                   accessibility.summary +
                                   QStringLiteral(". Paste into remote agent chat."));
}

QCoro::Task<std::variant<ClipCoordinator::ScreenshotPair, CaptureError>>
ClipCoordinator::screenshotOrError(std::optional<QRectF> regionScreenRect, PngWanted png) {
    try {
        // Named first: GCC 12 mishandles an aggregate that a co_await expression yields when it
        // is converted on the spot.
        ScreenshotPair pair = co_await captureScreenshotPair(regionScreenRect, png);
        co_return pair;
    } catch (const ScreenCaptureError& error) {
        co_return error;
    } catch (const PlatformError& error) {
        co_return error;
    }
}

QCoro::Task<ClipCoordinator::ScreenshotPair>
ClipCoordinator::captureScreenshotPair(std::optional<QRectF> regionScreenRect, PngWanted png) {
    CapturedScreen record;
    if (regionScreenRect) {
        record = co_await m_services.screenCapture.capture(*regionScreenRect, png);
    } else {
        const QList<CapturedScreen> records =
            co_await m_services.screenCapture.capture(true, std::nullopt, png);
        if (records.isEmpty())
            co_return ScreenshotPair{};
        record = records.first();
    }
    std::optional<QImage> image;
    if (!record.image.isNull())
        image = record.image;
    const ScreenshotPair pair{image, record.fileURL, record.subject,
                              image ? record.png : std::nullopt};
    co_return pair;
}

} // namespace vantrel
