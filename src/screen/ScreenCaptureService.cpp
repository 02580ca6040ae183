#include "ScreenCaptureService.h"

#include "CaptureCoordinates.h"
#include "JpegEncoder.h"
#include "PngEncoder.h"
#include "ScreenCaptureError.h"
#include "SystemPermissionsService.h"
#include "platform/Clock.h"
#include "platform/FileWriter.h"
#include "platform/ScreenList.h"
#include "platform/StandardLocations.h"
#include "platform/WindowServer.h"

#include <QBuffer>
#include <QDir>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <tuple>

namespace vantrel {

namespace {

constexpr double minimumAreaSide = 4;
constexpr double fallbackBackingScale = 2.0;
// Larger pictures are asked for smaller, keeping their shape: their pixels would not fit in what
// an image may hold, or take seconds to encode.
constexpr double maximumPictureSide = 16384;
constexpr double maximumPicturePixels = 64.0 * 1024 * 1024;

// Truncates toward zero; values a platform should never report (NaN, beyond int) cannot overflow.
int truncatedInt(double value) {
    if (std::isnan(value))
        return 0;
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return static_cast<int>(std::trunc(std::clamp(value, lowest, highest)));
}

// The factor (at most 1) that brings a picture of this many pixels within the limits.
double shrinkFactor(double width, double height) {
    double factor = 1;
    if (width > maximumPictureSide)
        factor = maximumPictureSide / width;
    if (height * factor > maximumPictureSide)
        factor = maximumPictureSide / height;
    if (width * height * factor * factor > maximumPicturePixels)
        factor = std::sqrt(maximumPicturePixels / (width * height));
    return factor;
}

// Written so that NaN sides count as too small.
bool tooSmall(const QRectF& rect) {
    return !(rect.width() >= minimumAreaSide) || !(rect.height() >= minimumAreaSide);
}

double overlapArea(const QRectF& a, const QRectF& b) {
    const QRectF overlap = a.intersected(b);
    return overlap.width() * overlap.height();
}

std::optional<QString> bundleIdentifier(const ShareableWindow& window) {
    return window.owningApplication ? window.owningApplication->bundleIdentifier : std::nullopt;
}

bool isCandidate(const ShareableWindow& window, const std::optional<QString>& frontBundle,
                 const QSet<quint32>& excludeIDs) {
    // Two absent identifiers count as equal; optional's == says exactly that.
    return window.isOnScreen && window.windowLayer == 0 && !excludeIDs.contains(window.windowID) &&
           bundleIdentifier(window) == frontBundle;
}

// Ties keep the earlier window.
const ShareableWindow* largestCandidate(const QList<ShareableWindow>& windows,
                                        const std::optional<QString>& frontBundle,
                                        const QSet<quint32>& excludeIDs) {
    const ShareableWindow* pick = nullptr;
    double pickArea = 0;
    for (const ShareableWindow& window : windows) {
        if (!isCandidate(window, frontBundle, excludeIDs))
            continue;
        const double area = window.frame.width() * window.frame.height();
        if (pick == nullptr || area > pickArea) {
            pick = &window;
            pickArea = area;
        }
    }
    return pick;
}

QString windowName(const ShareableWindow& window, const RunningApplication& application) {
    if (window.title && !window.title->isEmpty())
        return *window.title;
    if (application.localizedName && !application.localizedName->isEmpty())
        return *application.localizedName;
    return QStringLiteral("Active window");
}

// Primary first, the rest left to right; NaN origins go last so the order stays strict.
QList<ShareableDisplay> sortedDisplays(QList<ShareableDisplay> displays,
                                       std::optional<quint32> primaryID) {
    const auto key = [primaryID](const ShareableDisplay& display) {
        const bool primary = primaryID && display.displayID == *primaryID;
        const double x = display.frame.x();
        return std::tuple(!primary, std::isnan(x), std::isnan(x) ? 0.0 : x);
    };
    std::stable_sort(displays.begin(), displays.end(),
                     [&key](const auto& a, const auto& b) { return key(a) < key(b); });
    return displays;
}

QString displayLabel(bool primary, qsizetype position) {
    return primary ? QStringLiteral("Primary display")
                   : QStringLiteral("Secondary display ") + QString::number(position);
}

QList<quint32> excludedWindows(const QList<ShareableWindow>& windows, const QSet<quint32>& ids) {
    QList<quint32> excluded;
    for (const ShareableWindow& window : windows) {
        if (ids.contains(window.windowID))
            excluded.append(window.windowID);
    }
    return excluded;
}

// Ties, including no overlap at all, keep the earlier display.
const ShareableDisplay& displayWithLargestOverlap(const QList<ShareableDisplay>& displays,
                                                  const QRectF& rect) {
    qsizetype best = 0;
    double bestArea = overlapArea(displays.first().frame, rect);
    for (qsizetype index = 1; index < displays.size(); ++index) {
        const double area = overlapArea(displays[index].frame, rect);
        if (area > bestArea) {
            best = index;
            bestArea = area;
        }
    }
    return displays[best];
}

QRect pixelRect(const QRectF& cropped, const QRectF& displayFrame, double scale) {
    return QRect(truncatedInt(scale * (cropped.x() - displayFrame.x())),
                 truncatedInt(scale * (cropped.y() - displayFrame.y())),
                 std::max(1, truncatedInt(scale * cropped.width())),
                 std::max(1, truncatedInt(scale * cropped.height())));
}

// A view into the picture's own pixels, so neither the JPEG encoder nor whoever takes the picture
// next copies them; the view holds a share of the picture for as long as it lives.
QImage cropView(const QImage& picture, const QRect& rect) {
    if (rect == picture.rect())
        return picture;
    if (picture.depth() < 8)
        return picture.copy(rect);
    const uchar* first =
        picture.constBits() + rect.y() * picture.bytesPerLine() + rect.x() * (picture.depth() / 8);
    auto* owner = new QImage(picture);
    QImage view(
        first, rect.width(), rect.height(), picture.bytesPerLine(), picture.format(),
        [](void* share) { delete static_cast<QImage*>(share); }, owner);
    view.setColorTable(picture.colorTable());
    return view;
}

// "%.0f" as printf writes it (ties to even), whatever the process locale.
QString wholeNumber(double value) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 0);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString regionLabel(const QRectF& cropped) {
    return QStringLiteral("Region ") + wholeNumber(cropped.width()) + QStringLiteral("×") +
           wholeNumber(cropped.height());
}

// Started before the JPEG is written, so the two encoders share the cores.
std::optional<QFuture<QByteArray>> startPng(const QImage& picture, PngWanted png) {
    if (png == PngWanted::no)
        return std::nullopt;
    return PngEncoder::start(picture);
}

} // namespace

ScreenCaptureService::ScreenCaptureService(const Platform& platform,
                                           const SystemPermissionsService& permissions,
                                           Clock& clock, std::optional<QString> shotDirectory)
    : m_platform(platform), m_permissions(permissions), m_clock(clock),
      m_shotDirectory(shotDirectory.value_or(defaultShotDirectory(platform.identity))) {}

QString ScreenCaptureService::defaultShotDirectory(const AppIdentity& identity) {
    return StandardLocations::cachesDirectory() + u'/' +
           StandardLocations::appFolderName(identity) + QStringLiteral("/shots");
}

QCoro::Task<QList<CapturedScreen>>
ScreenCaptureService::capture(bool windowOnly, std::optional<quint32> excludeWindowNumber,
                              PngWanted png) {
    checkPermission();
    const ShareableContent content =
        co_await m_platform.screenCapture.shareableContent(false, true);
    WindowIDs excludeIDs;
    if (excludeWindowNumber)
        excludeIDs.insert(*excludeWindowNumber);
    if (windowOnly) {
        if (auto window = co_await captureFrontmostWindow(content, excludeIDs, png))
            co_return QList<CapturedScreen>{*window};
    }
    co_return co_await captureDisplays(content, excludeIDs, png);
}

QCoro::Task<CapturedScreen> ScreenCaptureService::capture(QRectF regionInScreenCoordinates,
                                                          PngWanted png) {
    checkPermission();
    if (tooSmall(regionInScreenCoordinates.normalized()))
        throw ScreenCaptureError::captureFailed();
    const ShareableContent content =
        co_await m_platform.screenCapture.shareableContent(false, true);
    const QRectF rect =
        CaptureCoordinates::topLeftRect(m_platform.screens, regionInScreenCoordinates);
    if (content.displays.isEmpty())
        throw ScreenCaptureError::noDisplays();
    const ShareableDisplay display = displayWithLargestOverlap(content.displays, rect);
    const QRectF cropped = rect.intersected(display.frame);
    if (tooSmall(cropped))
        throw ScreenCaptureError::captureFailed();
    const double backing = backingScale(display.displayID);
    const double scale = backing * shrinkFactor(backing * display.width, backing * display.height);
    ContentFilter filter = DisplayFilter{display.displayID, {}};
    const QImage picture = co_await captureImage(std::move(filter), streamConfiguration(display));
    // Like an image crop, the part outside the picture is dropped; nothing left is a failure.
    const QRect pixels = pixelRect(cropped, display.frame, scale).intersected(picture.rect());
    if (pixels.isEmpty())
        throw ScreenCaptureError::captureFailed();
    const QImage area = cropView(picture, pixels);
    auto encoding = startPng(area, png);
    const QString name = QStringLiteral("region_") + timeStamp();
    const QUrl url = co_await writeJPEG(area, name);
    const CapturedScreen record{url,  regionLabel(cropped),    true,
                                area, ScreenshotSubject::area, std::move(encoding)};
    co_return record;
}

void ScreenCaptureService::checkPermission() const {
    if (m_permissions.state().screenRecording ||
        m_platform.screenCapture.preflightScreenCaptureAccess())
        return;
    throw ScreenCaptureError::permissionDenied(m_permissions.appName(), m_platform.vocabulary);
}

QCoro::Task<std::optional<CapturedScreen>>
ScreenCaptureService::captureFrontmostWindow(const ShareableContent& content,
                                             const WindowIDs& excludeIDs, PngWanted png) {
    const auto application = m_platform.windowServer.frontmostApplication();
    if (!application)
        co_return std::nullopt;
    const ShareableWindow* window =
        largestCandidate(content.windows, application->bundleIdentifier, excludeIDs);
    if (window == nullptr)
        co_return std::nullopt;
    const QString label = QStringLiteral("Active window: ") + windowName(*window, *application);
    ContentFilter filter = WindowFilter{window->windowID};
    const QImage picture =
        co_await captureImage(std::move(filter), streamConfiguration(window->frame));
    auto encoding = startPng(picture, png);
    const QString name = QStringLiteral("win_") + timeStamp();
    const QUrl url = co_await writeJPEG(picture, name);
    const CapturedScreen record{
        url, label, true, picture, ScreenshotSubject::frontmostWindow, std::move(encoding)};
    co_return record;
}

QCoro::Task<QList<CapturedScreen>>
ScreenCaptureService::captureDisplays(const ShareableContent& content, const WindowIDs& excludeIDs,
                                      PngWanted png) {
    const std::optional<quint32> primaryID = primaryDisplayID();
    const QList<ShareableDisplay> displays = sortedDisplays(content.displays, primaryID);
    if (displays.isEmpty())
        throw ScreenCaptureError::noDisplays();
    const QList<quint32> excluded = excludedWindows(content.windows, excludeIDs);
    QList<CapturedScreen> records;
    for (qsizetype position = 0; position < displays.size(); ++position) {
        const ShareableDisplay& display = displays[position];
        const bool primary = primaryID && *primaryID == display.displayID;
        ContentFilter filter = DisplayFilter{display.displayID, excluded};
        const QImage picture =
            co_await captureImage(std::move(filter), streamConfiguration(display));
        auto encoding = startPng(picture, png);
        const QString name = QStringLiteral("shot_%1_").arg(position) + timeStamp();
        const QUrl url = co_await writeJPEG(picture, name);
        records.append({url, displayLabel(primary, position), primary, picture,
                        ScreenshotSubject::display, std::move(encoding)});
    }
    co_return records;
}

// Callers build the filter in a named variable: GCC 12 destroys a braced aggregate temporary
// twice when it is an argument inside a co_await expression.
QCoro::Task<QImage> ScreenCaptureService::captureImage(ContentFilter filter,
                                                       StreamConfiguration configuration) {
    QImage picture =
        co_await m_platform.screenCapture.captureImage(std::move(filter), configuration);
    if (picture.isNull())
        throw ScreenCaptureError::captureFailed();
    co_return picture;
}

StreamConfiguration ScreenCaptureService::streamConfiguration(const QRectF& windowFrame) const {
    // One pixel per point, whatever the display's backing scale.
    const double factor = shrinkFactor(windowFrame.width(), windowFrame.height());
    return {std::max(1, truncatedInt(windowFrame.width() * factor)),
            std::max(1, truncatedInt(windowFrame.height() * factor)), true, false};
}

StreamConfiguration
ScreenCaptureService::streamConfiguration(const ShareableDisplay& display) const {
    const double backing = backingScale(display.displayID);
    const double scale = backing * shrinkFactor(backing * display.width, backing * display.height);
    return {truncatedInt(scale * display.width), truncatedInt(scale * display.height), true, false};
}

std::optional<quint32> ScreenCaptureService::primaryDisplayID() const {
    const auto screen = m_platform.screens.mainScreen();
    return screen ? screen->number : std::nullopt;
}

double ScreenCaptureService::backingScale(quint32 displayID) const {
    for (const ScreenInfo& screen : m_platform.screens.screens()) {
        if (screen.number == displayID)
            return screen.backingScale;
    }
    return fallbackBackingScale;
}

QString ScreenCaptureService::timeStamp() const {
    // Integer division truncates toward zero, as the name's whole seconds want.
    return QString::number(m_clock.now().toMSecsSinceEpoch() / 1000);
}

// Encoded beside the main thread; the file is created exclusively, so a shot already handed out
// (on the pasteboard, in a pasted reference) keeps its pixels, also against other processes.
QCoro::Task<QUrl> ScreenCaptureService::writeJPEG(const QImage& image, const QString& name) const {
    // A named future: GCC 12 destroys a temporary made inside a co_await expression twice.
    QFuture<QByteArray> encoding = QtConcurrent::run([image] {
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        return JpegEncoder(jpegQuality).write(image, buffer) ? encoded : QByteArray();
    });
    const QByteArray bytes = co_await encoding;
    const QString stem = QDir(m_shotDirectory).filePath(name);
    if (bytes.isEmpty())
        throw ScreenCaptureError::writeFailed(stem + QStringLiteral(".jpg: ") +
                                              QStringLiteral("the picture could not be encoded"));
    try {
        FileWriter::makePrivateFolders(m_shotDirectory);
        co_return QUrl::fromLocalFile(FileWriter::writeUnique(stem, QStringLiteral(".jpg"), bytes));
    } catch (const FileWriteFailure& failure) {
        throw ScreenCaptureError::writeFailed(failure.detail());
    }
}

} // namespace vantrel
