#pragma once

#include "AccessibilityCaptureError.h"
#include "AccessibilityCapturing.h"
#include "SnapshotNode.h"
#include "platform/AXElement.h"
#include "platform/Platform.h"

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

namespace vantrel {

class AccessibilityPlatform;
class Clock;
class SystemPermissionsService;
class WindowServer;

// Turns what the user points at into a bounded accessibility snapshot, written as one JSON file
// in its own folder. A capture is synchronous; it blocks only for the single tree re-read.
class AccessibilityCaptureService final : public AccessibilityCapturing {
  public:
    // Without outputDirectory, snapshots go to <caches>/<app folder>/accessibility. The default
    // limits are the ones every capture keeps, from the tray and from the command line alike.
    AccessibilityCaptureService(const Platform& platform,
                                const SystemPermissionsService& permissions, Clock& clock,
                                int maxDepth = 4, int maxNodes = 120, int maxChildrenPerNode = 24,
                                std::optional<QString> outputDirectory = std::nullopt);

    // Throws AccessibilityCaptureError.
    CapturedAccessibility captureUnderMouse(std::optional<QPointF> point,
                                            std::optional<QRectF> regionInScreenCoordinates,
                                            bool preferFrontWindow) override;

    // One node with its subtree, depth-first and pre-order, so early subtrees use up the shared
    // budget first. Absent limits are the service's own; the region is in top-left space.
    SnapshotNode serialize(AXElement element, int depth, int& nodeBudget,
                           std::optional<int> maxDepth = std::nullopt,
                           std::optional<int> maxNodes = std::nullopt,
                           std::optional<QRectF> region = std::nullopt);

    static int nodeCount(const SnapshotNode& node);
    // The front window of the frontmost other application.
    static std::optional<AXElement> frontmostWindowElement(AccessibilityPlatform& accessibility,
                                                           const WindowServer& windowServer);

    // Attribute readers: a failed read, or a value of the wrong kind, is absent, never an error.
    static std::optional<QString> axString(AccessibilityPlatform& accessibility, AXElement element,
                                           const QString& attribute);
    static std::optional<bool> axBool(AccessibilityPlatform& accessibility, AXElement element,
                                      const QString& attribute);
    static std::optional<QPointF> axPoint(AccessibilityPlatform& accessibility, AXElement element,
                                          const QString& attribute);
    static std::optional<QSizeF> axSize(AccessibilityPlatform& accessibility, AXElement element);
    static QList<AXElement> axChildren(AccessibilityPlatform& accessibility, AXElement element);
    static QList<AXElement> axElements(AccessibilityPlatform& accessibility, AXElement element,
                                       const QString& attribute);
    static std::optional<AXElement> axElement(AccessibilityPlatform& accessibility,
                                              AXElement element, const QString& attribute);
    static std::optional<QString> axValueDescription(AccessibilityPlatform& accessibility,
                                                     AXElement element);

    const QString& outputDirectory() const { return m_outputDirectory; }
    int maxDepth() const { return m_maxDepth; }
    int maxNodes() const { return m_maxNodes; }
    int maxChildrenPerNode() const { return m_maxChildrenPerNode; }

  private:
    // Where a capture starts, how far it may go and what it says about how the root was found.
    struct Start {
        AXElement root;
        int depthLimit = 0;
        int nodeLimit = 0;
        std::optional<QRectF> filterArea;
        std::optional<QString> note;
        // The root is an application that showed no usable accessibility window.
        bool withoutAXWindows = false;
    };

    Start cursorStart(QPointF topLeftPoint, bool preferFrontWindow);
    Start areaStart(QRectF appKitArea, QRectF topLeftArea, QPointF topLeftPoint);
    AXElement hitTest(QPointF topLeftPoint);
    SnapshotNode readTree(const Start& start);
    SnapshotNode serializeFresh(const Start& start);
    SnapshotNode pruneToArea(const SnapshotNode& tree, const Start& start, QRectF topLeftArea,
                             QString& note);
    QList<AXElement> childrenToVisit(AXElement element, const std::optional<QRectF>& region);
    QString writeSnapshot(const QByteArray& bytes, const QDateTime& capturedAt);

    // A copy: a Platform only points at the services, and a caller's temporary must not dangle.
    const Platform m_platform;
    const SystemPermissionsService& m_permissions;
    Clock& m_clock;
    int m_maxDepth;
    int m_maxNodes;
    int m_maxChildrenPerNode;
    QString m_outputDirectory;
};

} // namespace vantrel
