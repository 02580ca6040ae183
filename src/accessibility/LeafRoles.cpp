#include "LeafRoles.h"

#include <QSet>

namespace vantrel {

bool LeafRoles::contains(const QString& role) {
    // Controls that may own children on some toolkit (menu items with submenus, pop-up and combo
    // buttons with their menus, links and headings with text runs, scroll bars with their parts)
    // stay out: for them an empty snapshot can still mean a tree that has not arrived.
    static const QSet<QString> leaves{
        QStringLiteral("AXButton"),          QStringLiteral("AXCheckBox"),
        QStringLiteral("AXRadioButton"),     QStringLiteral("AXTextField"),
        QStringLiteral("AXSecureTextField"), QStringLiteral("AXTextArea"),
        QStringLiteral("AXStaticText"),      QStringLiteral("AXImage"),
        QStringLiteral("AXSlider"),          QStringLiteral("AXProgressIndicator"),
        QStringLiteral("AXLevelIndicator"),
    };
    return leaves.contains(role);
}

} // namespace vantrel
