#pragma once

#include "SnapshotNode.h"
#include "platform/AXElement.h"

#include <QList>
#include <QString>

#include <optional>

namespace vantrel {

class AccessibilityPlatform;

// The texts that tell an agent which control the user meant and where it sits. Unreadable
// attributes only shorten them; nothing here fails.
struct AccessibilitySummary {
    static constexpr int previewCharacterLimit = 4000;

    static QString roleLabel(const QString& role);
    static QString summary(AccessibilityPlatform& accessibility, AXElement element);
    static std::optional<QString> nearestWindowTitle(AccessibilityPlatform& accessibility,
                                                     AXElement element);
    // The element first, then its parents, at most limit entries.
    static QList<AncestorEntry> ancestorChain(AccessibilityPlatform& accessibility,
                                              AXElement element, int limit);
    static QString inlinePreview(AccessibilityPlatform& accessibility, AXElement target,
                                 const QList<AncestorEntry>& ancestors, const SnapshotNode& tree);
    // Cut to at most limit user-perceived characters; false when nothing was cut.
    static bool truncateToGraphemes(QString& text, int limit);
};

} // namespace vantrel
