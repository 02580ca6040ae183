#include "ClipCoordinator.h"

#include "accessibility/AccessibilityCapturing.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "output/BundleWriting.h"
#include "output/PasteboardWriting.h"
#include "screen/ScreenCapturing.h"

namespace vantrel {

namespace {

// An area capture snapshots at the area's centre, whatever the cursor did.
std::optional<QPointF> capturePoint(std::optional<QPointF> mouseLocation,
                                    std::optional<QRectF> regionScreenRect) {
    if (regionScreenRect)
        return regionScreenRect->center();
    return mouseLocation;
}

std::optional<QImage> loadImage(const QUrl& fileURL) {
    QImage image(fileURL.toLocalFile());
    if (image.isNull())
        return std::nullopt;
    return image;
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

    const auto screenshot = co_await screenshotOrError(regionScreenRect);
    if (const auto* error = std::get_if<CaptureError>(&screenshot))
        co_return CaptureOutcome::failure(*error);
    const auto& [image, imageURL] = std::get<ScreenshotPair>(screenshot);

    CaptureBundle bundle;
    try {
        bundle = m_services.bundleWriter.write(accessibility, imageURL, image);
    } catch (const PlatformError& error) {
        co_return CaptureOutcome::failure(error);
    }

    m_services.pasteboardWriter.writeBundle(
        bundle, accessibility, image,
        BundlePasteboardFormatSettings::activeFormat(m_services.defaults));
    co_return CaptureOutcome::success(
        bundleStatusLine(accessibility, regionScreenRect.has_value()));
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
    const auto screenshot = co_await screenshotOrError(regionScreenRect);
    if (const auto* error = std::get_if<CaptureError>(&screenshot))
        co_return CaptureOutcome::failure(*error);
    const auto& [image, imageURL] = std::get<ScreenshotPair>(screenshot);
    if (!image)
        co_return CaptureOutcome::failure(ScreenCaptureError::captureFailed());

    m_services.pasteboardWriter.writeScreenshot(*image, imageURL);
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
ClipCoordinator::screenshotOrError(std::optional<QRectF> regionScreenRect) {
    try {
        co_return co_await captureScreenshotPair(regionScreenRect);
    } catch (const ScreenCaptureError& error) {
        co_return error;
    } catch (const PlatformError& error) {
        co_return error;
    }
}

QCoro::Task<ClipCoordinator::ScreenshotPair>
ClipCoordinator::captureScreenshotPair(std::optional<QRectF> regionScreenRect) {
    CapturedScreen record;
    if (regionScreenRect) {
        record = co_await m_services.screenCapture.capture(*regionScreenRect);
    } else {
        const QList<CapturedScreen> records =
            co_await m_services.screenCapture.capture(true, std::nullopt);
        if (records.isEmpty())
            co_return ScreenshotPair{};
        record = records.first();
    }
    co_return ScreenshotPair{loadImage(record.fileURL), record.fileURL};
}

} // namespace vantrel
