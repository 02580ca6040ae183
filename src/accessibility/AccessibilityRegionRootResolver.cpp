#include "AccessibilityRegionRootResolver.h"

#include "AccessibilityCaptureService.h"
#include "platform/AccessibilityPlatform.h"
#include "platform/WindowServer.h"
#include "screen/CaptureCoordinates.h"

#include <limits>

namespace vantrel {

namespace {

constexpr double minimumOverlap = 4.0; // points, in each direction

using Service = AccessibilityCaptureService;

bool overlapsEnough(QRectF a, QRectF b) {
    const QRectF overlap = a.intersected(b);
    return overlap.width() >= minimumOverlap && overlap.height() >= minimumOverlap;
}

std::optional<QRectF> axFrame(AccessibilityPlatform& accessibility, AXElement window) {
    const auto position = Service::axPoint(accessibility, window, QStringLiteral("AXPosition"));
    const auto size = Service::axSize(accessibility, window);
    if (!position || !size)
        return std::nullopt;
    return QRectF(*position, *size);
}

double area(QRectF rect) {
    return rect.width() * rect.height();
}

// Intersection over union with the window server's bounds, in percent.
double agreement(QRectF frame, QRectF bounds) {
    const QRectF inter = frame.intersected(bounds);
    if (!(inter.width() > 0 && inter.height() > 0))
        return 0;
    return area(inter) / std::max(area(frame) + area(bounds) - area(inter), 1.0) * 100;
}

std::optional<AXElement> titleMatch(AccessibilityPlatform& accessibility,
                                    const QList<AXElement>& windows, const QString& title,
                                    QRectF regionTopLeft) {
    QList<AXElement> matching;
    for (const AXElement window : windows)
        if (Service::axString(accessibility, window, QStringLiteral("AXTitle")) == title)
            matching.append(window);
    if (matching.size() != 1)
        return std::nullopt;
    const auto frame = axFrame(accessibility, matching.first());
    if (!frame || !overlapsEnough(*frame, regionTopLeft))
        return std::nullopt;
    return matching.first();
}

std::optional<qint32> otherApplicationPid(const WindowListEntry& entry, qint32 ownPid) {
    if (!entry.ownerPid || *entry.ownerPid < std::numeric_limits<qint32>::min() ||
        *entry.ownerPid > std::numeric_limits<qint32>::max())
        return std::nullopt;
    const auto pid = static_cast<qint32>(*entry.ownerPid);
    if (pid == ownPid)
        return std::nullopt;
    return pid;
}

} // namespace

AccessibilityRegionRootResolver::Resolution
AccessibilityRegionRootResolver::resolve(AccessibilityPlatform& accessibility,
                                         const WindowServer& windowServer,
                                         const ScreenList& screens, QRectF regionScreen) {
    const QRectF area = CaptureCoordinates::topLeftRect(screens, regionScreen);
    const auto entries = windowServer.onScreenWindows();
    if (!entries)
        return NotFound{};
    std::optional<AXUnavailable> remembered;
    for (const WindowListEntry& entry : *entries) {
        if (entry.layer != 0)
            continue;
        const auto pid = otherApplicationPid(entry, windowServer.ownPid());
        const auto bounds = cgWindowBounds(entry);
        if (!pid || !bounds || !overlapsEnough(*bounds, area))
            continue;
        const QString appName = windowServer.applicationName(*pid).value_or(QStringLiteral("pid ") +
                                                                            QString::number(*pid));
        const QList<AXElement> windows = Service::axElements(
            accessibility, accessibility.applicationElement(*pid), QStringLiteral("AXWindows"));
        const auto best = windows.isEmpty()
                              ? std::nullopt
                              : bestAXWindow(accessibility, windows, *bounds, entry.name, area);
        if (best) {
            const auto frame = axFrame(accessibility, *best);
            return Match{*best, *pid, appName,
                         frame ? ::vantrel::area(frame->intersected(area)) : 0};
        }
        if (!remembered)
            remembered = AXUnavailable{appName, *pid};
    }
    if (remembered)
        return *remembered;
    return NotFound{};
}

std::optional<AXElement> AccessibilityRegionRootResolver::bestAXWindow(
    AccessibilityPlatform& accessibility, const QList<AXElement>& windows, QRectF cgBounds,
    const std::optional<QString>& cgTitle, QRectF regionTopLeft) {
    if (cgTitle && !cgTitle->isEmpty())
        if (auto matched = titleMatch(accessibility, windows, *cgTitle, regionTopLeft))
            return matched;
    std::optional<AXElement> best;
    double bestScore = 0;
    for (const AXElement window : windows) {
        const auto frame = axFrame(accessibility, window);
        if (!frame || !overlapsEnough(*frame, regionTopLeft))
            continue;
        const double score = agreement(*frame, cgBounds) + area(frame->intersected(regionTopLeft));
        if (score > bestScore) {
            best = window;
            bestScore = score;
        }
    }
    return best;
}

std::optional<QRectF>
AccessibilityRegionRootResolver::cgWindowBounds(const WindowListEntry& entry) {
    return entry.bounds;
}

} // namespace vantrel
