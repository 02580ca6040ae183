#include "AccessibilitySummary.h"

#include "AccessibilityCaptureService.h"
#include "GraphemeText.h"
#include "SnapshotJson.h"

#include <QJsonDocument>
#include <QStringDecoder>

namespace vantrel {

namespace {

const QString roleAttribute = QStringLiteral("AXRole");
const QString titleAttribute = QStringLiteral("AXTitle");
const QString parentAttribute = QStringLiteral("AXParent");
constexpr int windowSearchLength = 8; // the element and seven parents

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

QString pathEntry(const AncestorEntry& entry) {
    QString rendering = entry.contains(QStringLiteral("role"))
                            ? AccessibilitySummary::roleLabel(entry.value(QStringLiteral("role")))
                            : QStringLiteral("?");
    const QString entryTitle = entry.value(QStringLiteral("title"));
    if (!entryTitle.isEmpty())
        rendering += u' ' + quoted(entryTitle);
    return rendering;
}

QString pathLine(const QList<AncestorEntry>& ancestors) {
    QStringList entries;
    for (auto it = ancestors.crbegin(); it != ancestors.crend(); ++it)
        entries.append(pathEntry(*it));
    return QStringLiteral("Path: ") + entries.join(QStringLiteral(" → "));
}

std::optional<QString> compactTree(const SnapshotNode& tree) {
    const auto object = SnapshotJson::object(tree);
    if (!object)
        return std::nullopt;
    const QByteArray bytes = QJsonDocument(*object).toJson(QJsonDocument::Compact);
    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

QString AccessibilitySummary::roleLabel(const QString& roleText) {
    return QString(roleText).remove(QStringLiteral("AX"));
}

QString AccessibilitySummary::summary(AccessibilityPlatform& accessibility, AXElement element) {
    using Service = AccessibilityCaptureService;
    const QString label = roleLabel(Service::axString(accessibility, element, roleAttribute)
                                        .value_or(QStringLiteral("Element")));
    const QString elementTitle =
        Service::axString(accessibility, element, titleAttribute).value_or(QString());
    const QString identifier =
        Service::axString(accessibility, element, QStringLiteral("AXIdentifier"))
            .value_or(QString());
    const QString window = nearestWindowTitle(accessibility, element).value_or(QString());

    QString head = label;
    if (!elementTitle.isEmpty())
        head += u' ' + quoted(elementTitle);
    else if (!identifier.isEmpty())
        head += QStringLiteral(" id=") + identifier;
    return window.isEmpty() ? head : head + QStringLiteral(" · ") + window;
}

std::optional<QString>
AccessibilitySummary::nearestWindowTitle(AccessibilityPlatform& accessibility, AXElement element) {
    using Service = AccessibilityCaptureService;
    std::optional<AXElement> current = element;
    for (int examined = 0; current && examined < windowSearchLength; ++examined) {
        if (Service::axString(accessibility, *current, roleAttribute) == QStringLiteral("AXWindow"))
            return Service::axString(accessibility, *current, titleAttribute);
        current = Service::axElement(accessibility, *current, parentAttribute);
    }
    return std::nullopt;
}

QList<AncestorEntry> AccessibilitySummary::ancestorChain(AccessibilityPlatform& accessibility,
                                                         AXElement element, int limit) {
    using Service = AccessibilityCaptureService;
    QList<AncestorEntry> chain;
    std::optional<AXElement> current = element;
    while (limit >= 1 && current) {
        chain.append({
            {QStringLiteral("role"), Service::axString(accessibility, *current, roleAttribute)
                                         .value_or(QStringLiteral("unknown"))},
            {QStringLiteral("title"),
             Service::axString(accessibility, *current, titleAttribute).value_or(QString())},
        });
        if (chain.size() >= limit)
            break;
        current = Service::axElement(accessibility, *current, parentAttribute);
    }
    return chain;
}

QString AccessibilitySummary::inlinePreview(AccessibilityPlatform& accessibility, AXElement target,
                                            const QList<AncestorEntry>& ancestors,
                                            const SnapshotNode& tree) {
    QStringList lines{QStringLiteral("Target: ") + summary(accessibility, target)};
    if (!ancestors.isEmpty())
        lines.append(pathLine(ancestors));
    if (auto json = compactTree(tree)) {
        if (truncateToGraphemes(*json, previewCharacterLimit))
            *json += QStringLiteral("\n… [truncated, full: accessibility.json]");
        lines.append(QStringLiteral("Subtree JSON:\n") + *json);
    }
    return lines.join(u'\n');
}

bool AccessibilitySummary::truncateToGraphemes(QString& text, int limit) {
    const auto cut = GraphemeText::cutPosition(text, limit);
    if (cut)
        text.truncate(*cut);
    return cut.has_value();
}

} // namespace vantrel
