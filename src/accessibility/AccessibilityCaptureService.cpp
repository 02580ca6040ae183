#include "AccessibilityCaptureService.h"

#include "AccessibilityRegionFilter.h"
#include "AccessibilityRegionRootResolver.h"
#include "AccessibilitySummary.h"
#include "LeafRoles.h"
#include "SnapshotDocument.h"
#include "platform/AccessibilityPlatform.h"
#include "platform/Clock.h"
#include "platform/FileWriter.h"
#include "platform/Platform.h"
#include "platform/ScreenList.h"
#include "platform/StandardLocations.h"
#include "platform/WindowServer.h"
#include "screen/CaptureCoordinates.h"
#include "screen/SystemPermissionsService.h"

#include <QDir>
#include <QScopeGuard>
#include <QUrl>
#include <QUuid>

#include <charconv>
#include <cmath>
#include <string>

namespace vantrel {

using namespace std::chrono_literals;

namespace {

constexpr auto rereadDelay = 150ms;
constexpr int ancestorLimit = 4;
constexpr int areaExtraDepth = 2;
constexpr int areaNodeFactor = 2;
constexpr double areaMargin = 2.0;
const QString secureTextFieldRole = QStringLiteral("AXSecureTextField");
const QString noAXWindowsNote = QStringLiteral("exposes no AX windows");

const QString children = QStringLiteral("children");
const QString roleKey = QStringLiteral("role");

QString defaultOutputDirectory(const AppIdentity& identity) {
    const QString caches = StandardLocations::cachesDirectory();
    const QString appFolder = StandardLocations::appFolderName(identity);
    QDir().mkpath(caches);
    // Our own folders stay private to the user; a failure surfaces later as writeFailed.
    QDir(caches).mkdir(appFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir(caches + u'/' + appFolder)
        .mkdir(QStringLiteral("accessibility"),
               QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return caches + u'/' + appFolder + QStringLiteral("/accessibility");
}

QString prepareOutputDirectory(const std::optional<QString>& override,
                               const AppIdentity& identity) {
    if (!override)
        return defaultOutputDirectory(identity);
    QDir().mkpath(*override);
    return *override;
}

// Edges that touch count as meeting, and a zero-size frame inside the area meets it.
bool meets(QRectF frame, QRectF area) {
    frame = frame.normalized();
    area = area.normalized();
    return frame.left() <= area.right() && area.left() <= frame.right() &&
           frame.top() <= area.bottom() && area.top() <= frame.bottom();
}

QString debugText(const AXValue& value) {
    if (const auto* other = std::get_if<AXOtherValue>(&value))
        return other->debugDescription;
    if (const auto* point = std::get_if<AXPointValue>(&value))
        return QStringLiteral("(%1, %2)").arg(point->point.x()).arg(point->point.y());
    if (const auto* size = std::get_if<AXSizeValue>(&value))
        return QStringLiteral("(%1, %2)").arg(size->size.width()).arg(size->size.height());
    if (const auto* element = std::get_if<AXElement>(&value))
        return QStringLiteral("<AXUIElement %1>").arg(element->id);
    if (const auto* list = std::get_if<QList<AXElement>>(&value))
        return QStringLiteral("<%1 elements>").arg(list->size());
    return {};
}

// The shortest digits that read back to the same double, laid out as JavaScript's Number#toString
// does: plain decimals for everyday magnitudes, so an agent never reads 100000 as "1e+05".
QString decimalText(double value) {
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string scientific(buffer, written.ptr);
    const auto e = scientific.find('e');
    if (!std::isfinite(value) || e == std::string::npos)
        return QString::fromStdString(scientific);
    const bool negative = scientific.front() == '-';
    std::string digits;
    for (const char c : scientific.substr(0, e)) {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    const int exponent = std::stoi(scientific.substr(e + 1));
    const double magnitude = std::abs(value);
    std::string text;
    if (magnitude != 0 && (magnitude < 1e-7 || magnitude >= 1e21)) {
        text = digits.substr(0, 1);
        if (digits.size() > 1)
            text += '.' + digits.substr(1);
        text += (exponent < 0 ? "e-" : "e+") + std::to_string(std::abs(exponent));
    } else {
        const int point = exponent + 1; // digits before the decimal point
        const int count = static_cast<int>(digits.size());
        if (point >= count)
            text = digits + std::string(point - count, '0');
        else if (point > 0)
            text = digits.substr(0, point) + '.' + digits.substr(point);
        else
            text = "0." + std::string(-point, '0') + digits;
    }
    return QString::fromStdString((negative ? "-" : "") + text);
}

QString wholeNumber(double value) {
    return QString::number(std::trunc(value), 'f', 0);
}

SnapshotNode placeholderTree(const QString& rootSummary) {
    return {
        {QStringLiteral("role"), QStringLiteral("AXApplication")},
        {QStringLiteral("title"), rootSummary},
        {QStringLiteral("note"),
         QStringLiteral("Accessibility tree unavailable for this application in region mode.")},
    };
}

} // namespace

AccessibilityCaptureService::AccessibilityCaptureService(
    const Platform& platform, const SystemPermissionsService& permissions, Clock& clock,
    int maxDepth, int maxNodes, int maxChildrenPerNode, std::optional<QString> outputDirectory)
    : m_platform(platform), m_permissions(permissions), m_clock(clock), m_maxDepth(maxDepth),
      m_maxNodes(maxNodes), m_maxChildrenPerNode(maxChildrenPerNode),
      m_outputDirectory(prepareOutputDirectory(outputDirectory, platform.identity)) {}

CapturedAccessibility
AccessibilityCaptureService::captureUnderMouse(std::optional<QPointF> point,
                                               std::optional<QRectF> regionInScreenCoordinates,
                                               bool preferFrontWindow) {
    auto& accessibility = m_platform.accessibility;
    if (!accessibility.isProcessTrusted())
        throw AccessibilityCaptureError::permissionDenied(m_permissions.appName(),
                                                          m_platform.vocabulary);
    // Whatever the capture's end, the elements it read are let go: an app that runs for weeks
    // must not keep every element it ever captured.
    const auto releaseElements = qScopeGuard([&accessibility] { accessibility.releaseElements(); });

    const ScreenList& screens = m_platform.screens;
    std::optional<QRectF> topLeftArea;
    if (regionInScreenCoordinates)
        topLeftArea = CaptureCoordinates::topLeftRect(screens, *regionInScreenCoordinates);
    const QPointF capturePoint =
        CaptureCoordinates::topLeftPoint(screens, point ? *point : screens.mouseLocation());

    const Start start = topLeftArea
                            ? areaStart(*regionInScreenCoordinates, *topLeftArea, capturePoint)
                            : cursorStart(capturePoint, preferFrontWindow);
    SnapshotNode tree = readTree(start);
    // An application that quit during the walk leaves a tree that only looks whole.
    if (accessibility.copyAttributeValue(start.root, QStringLiteral("AXRole")).error ==
        AXReadResult::invalidElementError)
        throw AccessibilityCaptureError::targetGone();
    const QList<AncestorEntry> ancestors =
        AccessibilitySummary::ancestorChain(accessibility, start.root, ancestorLimit);
    std::optional<QString> note = start.note;
    if (topLeftArea)
        tree = pruneToArea(tree, start, *topLeftArea, *note);

    const QString summary = AccessibilitySummary::summary(accessibility, start.root);
    const int nodes = nodeCount(tree);
    const QString rootRole = tree.value(roleKey).toString();
    // Only an empty snapshot is explained by its toolkit; others skip the extra reads.
    const ToolkitClues toolkit =
        nodes == 1 ? accessibility.applicationToolkit(start.root) : ToolkitClues{};
    const SnapshotDocument document{ancestors, m_clock.now(), capturePoint, topLeftArea,
                                    note,      summary,       tree};
    const auto bytes = document.encoded();
    if (!bytes)
        throw AccessibilityCaptureError::serializationFailed();
    const QString path = writeSnapshot(*bytes, document.capturedAt);

    return {QUrl::fromLocalFile(path),
            nodes,
            summary,
            AccessibilitySummary::inlinePreview(accessibility, start.root, ancestors, tree),
            note,
            LeafRoles::contains(rootRole),
            rootRole,
            toolkit};
}

AccessibilityCaptureService::Start
AccessibilityCaptureService::cursorStart(QPointF topLeftPoint, bool preferFrontWindow) {
    std::optional<AXElement> root;
    if (preferFrontWindow)
        root = frontmostWindowElement(m_platform.accessibility, m_platform.windowServer);
    if (!root)
        root = hitTest(topLeftPoint);
    return {*root, m_maxDepth, m_maxNodes, std::nullopt, std::nullopt};
}

AccessibilityCaptureService::Start AccessibilityCaptureService::areaStart(QRectF appKitArea,
                                                                          QRectF topLeftArea,
                                                                          QPointF topLeftPoint) {
    Start start{{},
                m_maxDepth + areaExtraDepth,
                m_maxNodes * areaNodeFactor,
                topLeftArea.adjusted(-areaMargin, -areaMargin, areaMargin, areaMargin),
                std::nullopt,
                false};
    const auto resolution = AccessibilityRegionRootResolver::resolve(
        m_platform.accessibility, m_platform.windowServer, m_platform.screens, appKitArea);
    const auto application = [](const QString& name, qint32 pid) {
        return name + QStringLiteral(" (pid ") + QString::number(pid) + u')';
    };
    if (const auto* match = std::get_if<AccessibilityRegionRootResolver::Match>(&resolution)) {
        start.root = match->window;
        start.note = QStringLiteral("region root: ") + application(match->appName, match->pid);
    } else if (const auto* unavailable =
                   std::get_if<AccessibilityRegionRootResolver::AXUnavailable>(&resolution)) {
        start.root = m_platform.accessibility.applicationElement(unavailable->pid);
        start.withoutAXWindows = true;
        start.note = QStringLiteral("region root: none — ") +
                     application(unavailable->appName, unavailable->pid) + u' ' + noAXWindowsNote;
    } else {
        start.root = hitTest(topLeftPoint);
        start.note = QStringLiteral("region root: NOT RESOLVED → cursor hit-test");
    }
    return start;
}

AXElement AccessibilityCaptureService::hitTest(QPointF topLeftPoint) {
    auto& accessibility = m_platform.accessibility;
    const auto element = accessibility.elementAtPosition(accessibility.systemWideElement(),
                                                         static_cast<float>(topLeftPoint.x()),
                                                         static_cast<float>(topLeftPoint.y()));
    if (!element || element->isNull())
        throw AccessibilityCaptureError::noElement();
    return *element;
}

SnapshotNode AccessibilityCaptureService::readTree(const Start& start) {
    SnapshotNode tree = serializeFresh(start);
    if (tree.contains(children) || LeafRoles::contains(tree.value(roleKey).toString()))
        return tree;
    // Some applications build their tree lazily; a second look after a pause often finds it.
    m_clock.sleepBlocking(rereadDelay);
    SnapshotNode second = serializeFresh(start);
    return !second.isEmpty() && second.contains(children) ? second : tree;
}

SnapshotNode AccessibilityCaptureService::serializeFresh(const Start& start) {
    int budget = 0;
    return serialize(start.root, 0, budget, start.depthLimit, start.nodeLimit, start.filterArea);
}

SnapshotNode AccessibilityCaptureService::pruneToArea(const SnapshotNode& tree, const Start& start,
                                                      QRectF topLeftArea, QString& note) {
    // Decided by how the root was found, not by the note's wording, which carries the
    // application's own name.
    if (start.withoutAXWindows)
        return placeholderTree(AccessibilitySummary::summary(m_platform.accessibility, start.root));
    const int before = AccessibilityRegionFilter::nodeCount(tree);
    const auto pruned = AccessibilityRegionFilter::filter(tree, *start.filterArea);
    if (!pruned) {
        note += QStringLiteral("; region: no AX frames in rect; kept ") + QString::number(before) +
                QStringLiteral(" nodes");
        return tree;
    }
    note += QStringLiteral("; region: ") + wholeNumber(topLeftArea.width()) + u'×' +
            wholeNumber(topLeftArea.height()) + QStringLiteral(" ax, kept ") +
            QString::number(AccessibilityRegionFilter::nodeCount(*pruned)) +
            QStringLiteral(" nodes");
    return *pruned;
}

SnapshotNode AccessibilityCaptureService::serialize(AXElement element, int depth, int& nodeBudget,
                                                    std::optional<int> maxDepth,
                                                    std::optional<int> maxNodes,
                                                    std::optional<QRectF> region) {
    const int depthLimit = maxDepth.value_or(m_maxDepth);
    const int nodeLimit = maxNodes.value_or(m_maxNodes);
    const int used = ++nodeBudget;
    auto& accessibility = m_platform.accessibility;

    SnapshotNode node;
    const QString role = axString(accessibility, element, QStringLiteral("AXRole"))
                             .value_or(QStringLiteral("unknown"));
    node.insert(QStringLiteral("role"), role);
    const auto insertText = [&](const QString& key, const QString& attribute) {
        const QString text = axString(accessibility, element, attribute).value_or(QString());
        if (!text.isEmpty())
            node.insert(key, text);
    };
    insertText(QStringLiteral("title"), QStringLiteral("AXTitle"));
    insertText(QStringLiteral("description"), QStringLiteral("AXDescription"));
    // A password is never read, so it cannot reach a file, the clipboard or a log.
    if (role != secureTextFieldRole) {
        if (const auto value = axValueDescription(accessibility, element))
            node.insert(QStringLiteral("value"), *value);
    }
    insertText(QStringLiteral("identifier"), QStringLiteral("AXIdentifier"));
    const auto position = axPoint(accessibility, element, QStringLiteral("AXPosition"));
    const auto size = axSize(accessibility, element);
    if (position && size)
        node.insert(QStringLiteral("frame"),
                    QVariantMap{{QStringLiteral("x"), position->x()},
                                {QStringLiteral("y"), position->y()},
                                {QStringLiteral("width"), size->width()},
                                {QStringLiteral("height"), size->height()}});
    if (const auto focused = axBool(accessibility, element, QStringLiteral("AXFocused")))
        node.insert(QStringLiteral("focused"), *focused);
    if (const auto enabled = axBool(accessibility, element, QStringLiteral("AXEnabled")))
        node.insert(QStringLiteral("enabled"), *enabled);

    if (depth >= depthLimit || used >= nodeLimit)
        return node;
    QVariantList kept;
    for (const AXElement child : childrenToVisit(element, region)) {
        if (nodeBudget >= nodeLimit)
            break;
        kept.append(serialize(child, depth + 1, nodeBudget, depthLimit, nodeLimit, region));
    }
    if (!kept.isEmpty())
        node.insert(children, kept);
    return node;
}

QList<AXElement> AccessibilityCaptureService::childrenToVisit(AXElement element,
                                                              const std::optional<QRectF>& region) {
    auto& accessibility = m_platform.accessibility;
    QList<AXElement> visit;
    for (const AXElement child : axChildren(accessibility, element)) {
        if (visit.size() >= m_maxChildrenPerNode)
            break;
        if (region) {
            const auto position = axPoint(accessibility, child, QStringLiteral("AXPosition"));
            const auto size = axSize(accessibility, child);
            // A child whose frame cannot be read may still hold something inside the area.
            if (position && size && !meets(QRectF(*position, *size), *region))
                continue;
        }
        visit.append(child);
    }
    return visit;
}

int AccessibilityCaptureService::nodeCount(const SnapshotNode& node) {
    return AccessibilityRegionFilter::nodeCount(node);
}

std::optional<AXElement>
AccessibilityCaptureService::frontmostWindowElement(AccessibilityPlatform& accessibility,
                                                    const WindowServer& windowServer) {
    const auto application = windowServer.frontmostApplication();
    if (!application || application->pid == windowServer.ownPid())
        return std::nullopt;
    const AXElement appElement = accessibility.applicationElement(application->pid);
    if (const auto focused =
            axElement(accessibility, appElement, QStringLiteral("AXFocusedWindow")))
        return focused;
    const QList<AXElement> windows =
        axElements(accessibility, appElement, QStringLiteral("AXWindows"));
    if (windows.isEmpty())
        return std::nullopt;
    return windows.first();
}

QString AccessibilityCaptureService::writeSnapshot(const QByteArray& bytes,
                                                   const QDateTime& capturedAt) {
    const QString stem = m_outputDirectory + QStringLiteral("/ax-") +
                         QString::number(capturedAt.toSecsSinceEpoch()) + u'-';
    try {
        // The caches folder may have been emptied since start-up.
        FileWriter::makePrivateFolders(m_outputDirectory);
        for (;;) {
            const QString path =
                stem + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().left(8) +
                QStringLiteral(".json");
            if (FileWriter::writeNew(path, bytes))
                return path;
        }
    } catch (const FileWriteFailure& failure) {
        throw AccessibilityCaptureError::writeFailed(failure.detail());
    }
}

std::optional<QString> AccessibilityCaptureService::axString(AccessibilityPlatform& accessibility,
                                                             AXElement element,
                                                             const QString& attribute) {
    const AXReadResult read = accessibility.copyAttributeValue(element, attribute);
    if (!read.succeeded())
        return std::nullopt;
    if (const auto* text = std::get_if<QString>(&read.value))
        return *text;
    if (const auto* attributed = std::get_if<AXAttributedString>(&read.value))
        return attributed->text;
    return std::nullopt;
}

std::optional<bool> AccessibilityCaptureService::axBool(AccessibilityPlatform& accessibility,
                                                        AXElement element,
                                                        const QString& attribute) {
    const AXReadResult read = accessibility.copyAttributeValue(element, attribute);
    const auto* number = std::get_if<double>(&read.value);
    if (!read.succeeded() || !number)
        return std::nullopt;
    return *number != 0.0;
}

std::optional<QPointF> AccessibilityCaptureService::axPoint(AccessibilityPlatform& accessibility,
                                                            AXElement element,
                                                            const QString& attribute) {
    const AXReadResult read = accessibility.copyAttributeValue(element, attribute);
    if (!read.succeeded())
        return std::nullopt;
    return unpackPoint(read.value);
}

std::optional<QSizeF> AccessibilityCaptureService::axSize(AccessibilityPlatform& accessibility,
                                                          AXElement element) {
    const AXReadResult read = accessibility.copyAttributeValue(element, QStringLiteral("AXSize"));
    if (!read.succeeded())
        return std::nullopt;
    return unpackSize(read.value);
}

QList<AXElement> AccessibilityCaptureService::axChildren(AccessibilityPlatform& accessibility,
                                                         AXElement element) {
    return axElements(accessibility, element, QStringLiteral("AXChildren"));
}

QList<AXElement> AccessibilityCaptureService::axElements(AccessibilityPlatform& accessibility,
                                                         AXElement element,
                                                         const QString& attribute) {
    const AXReadResult read = accessibility.copyAttributeValue(element, attribute);
    const auto* list = std::get_if<QList<AXElement>>(&read.value);
    if (!read.succeeded() || !list)
        return {};
    return *list;
}

std::optional<AXElement>
AccessibilityCaptureService::axElement(AccessibilityPlatform& accessibility, AXElement element,
                                       const QString& attribute) {
    const AXReadResult read = accessibility.copyAttributeValue(element, attribute);
    const auto* found = std::get_if<AXElement>(&read.value);
    if (!read.succeeded() || !found || found->isNull())
        return std::nullopt;
    return *found;
}

std::optional<QString>
AccessibilityCaptureService::axValueDescription(AccessibilityPlatform& accessibility,
                                                AXElement element) {
    const AXReadResult read = accessibility.copyAttributeValue(element, QStringLiteral("AXValue"));
    if (!read.succeeded())
        return std::nullopt;
    const AXValue& value = read.value;
    if (const auto* text = std::get_if<QString>(&value))
        return *text;
    if (const auto* number = std::get_if<double>(&value))
        return decimalText(*number);
    if (const auto* attributed = std::get_if<AXAttributedString>(&value))
        return attributed->text;
    if (std::holds_alternative<AXNoValue>(value))
        return QStringLiteral("nil");
    return QStringLiteral("Optional(") + debugText(value) + u')';
}

} // namespace vantrel
