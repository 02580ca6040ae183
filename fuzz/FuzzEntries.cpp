#include "FuzzEntries.h"

#include "accessibility/AccessibilityRegionFilter.h"
#include "accessibility/GraphemeText.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/CaptureDocuments.h"
#include "output/CaptureModeSettings.h"
#include "output/SnapshotJsonText.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/VirtualClock.h"
#include "platform/sim/SceneError.h"
#include "platform/sim/SceneLoader.h"

#include <QJsonDocument>
#include <QTextBoundaryFinder>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vantrel::fuzz {

namespace {

void require(bool holds, const char* invariant) {
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    std::abort();
}

QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

const QString childrenKey = QStringLiteral("children");

// The filter's own reading of "children", restated: only a list of nothing but maps counts.
QVariantList nodeChildren(const SnapshotNode& node) {
    const QVariant value = node.value(childrenKey);
    if (value.typeId() != QMetaType::QVariantList)
        return {};
    const QVariantList list = value.toList();
    for (const QVariant& entry : list)
        if (entry.typeId() != QMetaType::QVariantMap)
            return {};
    return list;
}

bool lies(const SnapshotNode& node, QRectF area) {
    const auto frame = AccessibilityRegionFilter::frame(node);
    return frame && (frame->intersects(area) || area.contains(frame->topLeft()));
}

bool anyLies(const SnapshotNode& node, QRectF area) {
    if (lies(node, area))
        return true;
    for (const QVariant& child : nodeChildren(node))
        if (anyLies(child.toMap(), area))
            return true;
    return false;
}

// kept must be node pruned: the same keys but children, and its children the pruned forms of a
// subsequence of node's children, in order, each still holding something in the area.
void checkPruned(const SnapshotNode& kept, const SnapshotNode& node, QRectF area) {
    SnapshotNode keptRest = kept;
    SnapshotNode nodeRest = node;
    keptRest.remove(childrenKey);
    nodeRest.remove(childrenKey);
    require(keptRest == nodeRest, "a kept node carries every key but children unchanged");
    const QVariantList original = nodeChildren(node);
    const QVariant keptValue = kept.value(childrenKey);
    require(!kept.contains(childrenKey) || keptValue.typeId() == QMetaType::QVariantList,
            "kept children are a list");
    const QVariantList keptChildren = keptValue.toList();
    require(!keptChildren.isEmpty() || !kept.contains(childrenKey),
            "an empty children list is dropped");
    require(!keptChildren.isEmpty() || lies(node, area), "a kept leaf lies in the area");
    qsizetype next = 0;
    for (const QVariant& child : keptChildren) {
        while (next < original.size() &&
               AccessibilityRegionFilter::filter(original[next].toMap(), area) != child.toMap())
            ++next;
        require(next < original.size(), "kept children follow the original order");
        checkPruned(child.toMap(), original[next].toMap(), area);
        ++next;
    }
}

// The cut restated with nothing but the boundary finder.
std::optional<qsizetype> referenceCut(const QString& text, int maxClusters) {
    if (text.isEmpty())
        return std::nullopt;
    if (maxClusters <= 0)
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (int clusters = 0; clusters < maxClusters; ++clusters) {
        if (finder.toNextBoundary() < 0)
            return std::nullopt;
    }
    return finder.position() < text.size() ? std::optional(finder.position()) : std::nullopt;
}

// Clusters that end at or before end, counted in the whole text.
int clusterCount(const QString& text, qsizetype end) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    for (qsizetype position = finder.toNextBoundary(); position >= 0 && position <= end;
         position = finder.toNextBoundary())
        ++count;
    return count;
}

// UTF-16 that survives a trip through UTF-8: no surrogate left without its partner.
bool roundTrips(const QString& text) {
    return QString::fromUtf8(text.toUtf8()) == text;
}

QString fenced(const QString& json) {
    return QStringLiteral("```json\n") + json + QStringLiteral("\n```");
}

} // namespace

void scene_loader(const std::uint8_t* data, std::size_t size) {
    Scene scene;
    try {
        scene = SceneLoader::fromJson(bytes(data, size));
    } catch (const SceneError& error) {
        require(!error.message().isEmpty(), "a scene error says what is wrong");
        return;
    }
    const auto elementCount = scene.elements.size();
    for (const SceneWindow& window : std::as_const(scene.windows))
        require(!window.axRoot || (*window.axRoot >= 0 && *window.axRoot < elementCount),
                "a window's root is an element");
    for (const SceneElement& element : std::as_const(scene.elements)) {
        require(element.parent >= -1 && element.parent < elementCount,
                "an element's parent is an element or none");
        require(element.window >= 0 && element.window < scene.windows.size(),
                "an element belongs to a window");
        for (const int child : element.children.value_or(QList<int>()))
            require(child >= 0 && child < elementCount, "every child is an element");
    }
}

void region_filter(const std::uint8_t* data, std::size_t size) {
    // Four floats for the area (NaN and infinities included), then the tree as JSON.
    float coordinates[4];
    if (size < sizeof coordinates)
        return;
    std::memcpy(coordinates, data, sizeof coordinates);
    const QRectF area(coordinates[0], coordinates[1], coordinates[2], coordinates[3]);
    const QJsonDocument document =
        QJsonDocument::fromJson(bytes(data + sizeof coordinates, size - sizeof coordinates));
    if (!document.isObject())
        return;
    const SnapshotNode tree = document.toVariant().toMap();
    const auto kept = AccessibilityRegionFilter::filter(tree, area);
    require(kept.has_value() == anyLies(tree, area),
            "the filter keeps something exactly when something lies in the area");
    if (!kept)
        return;
    require(AccessibilityRegionFilter::nodeCount(*kept) <=
                AccessibilityRegionFilter::nodeCount(tree),
            "filtering never adds nodes");
    checkPruned(*kept, tree, area);
}

void grapheme_cut(const std::uint8_t* data, std::size_t size) {
    // One byte for the limit, one for the encoding, then the text: as UTF-16 code units it may hold
    // lone surrogates, which UTF-8 would have replaced.
    if (size < 2)
        return;
    const int maxClusters = static_cast<int>(data[0]) - 8;
    const QByteArray rest = bytes(data + 2, size - 2);
    const QString text =
        data[1] & 1 ? QString(reinterpret_cast<const QChar*>(rest.constData()), rest.size() / 2)
                    : QString::fromUtf8(rest);
    const auto cut = GraphemeText::cutPosition(text, maxClusters);
    require(cut == referenceCut(text, maxClusters), "the cut equals the boundary finder's");
    if (!cut) {
        require(clusterCount(text, text.size()) <= std::max(maxClusters, 0),
                "an uncut text fits the limit");
        return;
    }
    require(*cut >= 0 && *cut < text.size(), "a cut lies inside the text");
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(*cut);
    require(finder.isAtBoundary(), "a cut never splits a cluster");
    require(clusterCount(text, *cut) <= std::max(maxClusters, 0), "the kept text fits the limit");
}

void capture_documents(const std::uint8_t* data, std::size_t size) {
    // NUL-separated fields; the last one is the snapshot file's bytes and may hold NULs itself.
    enum { summary, preview, folder, screenshot, note, target, mode, limit, json, count };
    QList<QByteArray> fields;
    const QByteArray input = bytes(data, size);
    qsizetype start = 0;
    while (fields.size() < count - 1) {
        const qsizetype end = input.indexOf('\0', start);
        if (end < 0)
            return;
        fields.append(input.mid(start, end - start));
        start = end + 1;
    }
    fields.append(input.mid(start));

    const auto text = [&](int field) { return QString::fromUtf8(fields[field]); };
    const auto url = [&](int field) { return QUrl::fromLocalFile(text(field)); };
    CapturedAccessibility accessibility;
    accessibility.fileURL = url(folder);
    accessibility.summary = text(summary);
    accessibility.inlinePreview = text(preview);
    if (!fields[note].isEmpty())
        accessibility.regionNote = text(note);
    CaptureDocumentPaths paths{url(folder), url(folder), url(folder), std::nullopt, url(folder)};
    if (!fields[screenshot].isEmpty())
        paths.screenshotURL = url(screenshot);
    MemoryUserDefaults defaults;
    defaults.setString(AgentPasteTargetSettings::defaultsKey, text(target));
    defaults.setString(CaptureModeSettings::defaultsKey, text(mode));
    const VirtualClock clock;

    const auto snapshot = SnapshotJsonText::decode(fields[json]);
    require(!snapshot || (!snapshot->isEmpty() && roundTrips(*snapshot)),
            "a decoded snapshot is non-empty, valid text");
    const CaptureDocuments documents(clock, defaults);
    const QString stable = documents.stableCaptureText(accessibility, paths, snapshot);
    const QString experimental = documents.experimentalCaptureText(accessibility, paths, snapshot);
    require(roundTrips(stable) && roundTrips(experimental), "both documents are valid text");
    require(stable.contains(QStringLiteral("Target: ") + accessibility.summary) &&
                experimental.contains(QStringLiteral("Target: ") + accessibility.summary),
            "both documents name the target");
    if (!snapshot)
        return;
    require(stable.contains(fenced(
                SnapshotJsonText::truncated(*snapshot, CaptureDocuments::stableJsonClusterLimit))),
            "the stable document holds the snapshot, cut at its limit");
    if (snapshot->toUtf8().size() <= CaptureDocuments::experimentalJsonByteLimit)
        require(experimental.contains(fenced(*snapshot)),
                "the experimental document inlines a small snapshot whole");
    else
        require(experimental.contains(QStringLiteral("Read file: `") +
                                      paths.accessibilityURL.toLocalFile() + u'`'),
                "the experimental document points at a large snapshot");

    // The same cut at a limit small enough for fuzzed input to cross.
    const int smallLimit =
        fields[limit].isEmpty() ? 0 : static_cast<std::uint8_t>(fields[limit][0]);
    const QString cut = SnapshotJsonText::truncated(*snapshot, smallLimit);
    const QString marker = QStringLiteral("\n… (truncated)");
    require(roundTrips(cut), "a cut snapshot is valid text");
    if (smallLimit > 0 && clusterCount(*snapshot, snapshot->size()) <= smallLimit) {
        require(cut == *snapshot, "a snapshot within the limit stays whole");
        return;
    }
    require(cut.endsWith(marker), "a cut snapshot says so");
    const QString kept = cut.chopped(marker.size());
    require(snapshot->startsWith(kept), "a cut snapshot keeps the beginning");
    require(clusterCount(*snapshot, kept.size()) <= smallLimit,
            "a cut snapshot keeps no more clusters than the limit");
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, *snapshot);
    finder.setPosition(kept.size());
    require(finder.isAtBoundary(), "a cut snapshot never splits a cluster");
}

} // namespace vantrel::fuzz
