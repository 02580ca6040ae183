#pragma once

#include "ScreenCapturing.h"
#include "platform/Platform.h"
#include "platform/ScreenCapturePlatform.h"

#include <QImage>
#include <QSet>
#include <QString>

#include <optional>

namespace vantrel {

class Clock;
class SystemPermissionsService;

// Takes the screenshot half of every capture: the front window, every display, or a dragged area,
// each written as a JPEG into the private shots folder. Never prompts for permission.
class ScreenCaptureService final : public ScreenCapturing {
  public:
    static constexpr int jpegQuality = 82;

    // shotDirectory overrides the folder under the caches folder; it is created when missing.
    ScreenCaptureService(const Platform& platform, const SystemPermissionsService& permissions,
                         Clock& clock, std::optional<QString> shotDirectory = std::nullopt);

    static QString defaultShotDirectory(const AppIdentity& identity);
    const QString& shotDirectory() const { return m_shotDirectory; }

    QCoro::Task<QList<CapturedScreen>>
    capture(bool windowOnly, std::optional<quint32> excludeWindowNumber, PngWanted png) override;
    QCoro::Task<CapturedScreen> capture(QRectF regionInScreenCoordinates, PngWanted png) override;

    // Writes name + ".jpg" (or, when that name is taken, name + "-2.jpg" and on). Throws
    // writeFailed naming the file and the reason.
    // Both arguments must outlive the task.
    QCoro::Task<QUrl> writeJPEG(const QImage& image, const QString& name) const;

  private:
    using WindowIDs = QSet<quint32>;

    void checkPermission() const;
    QCoro::Task<std::optional<CapturedScreen>>
    captureFrontmostWindow(const ShareableContent& content, const WindowIDs& excludeIDs,
                           PngWanted png);
    QCoro::Task<QList<CapturedScreen>> captureDisplays(const ShareableContent& content,
                                                       const WindowIDs& excludeIDs, PngWanted png);
    QCoro::Task<QImage> captureImage(ContentFilter filter, StreamConfiguration configuration);
    StreamConfiguration streamConfiguration(const QRectF& windowFrame) const;
    StreamConfiguration streamConfiguration(const ShareableDisplay& display) const;
    std::optional<quint32> primaryDisplayID() const;
    double backingScale(quint32 displayID) const;
    QString timeStamp() const;

    // A copy: a Platform holds only references, and a caller's temporary must not dangle.
    const Platform m_platform;
    const SystemPermissionsService& m_permissions;
    Clock& m_clock;
    QString m_shotDirectory;
};

} // namespace vantrel
