#pragma once

#include <QString>

namespace vantrel {

// The one place that says which macOS-style role the core sees for an AT-SPI role. Roles are
// named as atspi_role_get_name() spells them ("push button"), so the table reads like the AT-SPI
// documentation and needs no AT-SPI header. The table itself is in AtspiRoleMap.cpp and in
// docs/linux-accessibility.md.
struct AtspiRoleMap {
    // multiLine: the element has the MULTI_LINE state (a text area rather than a field).
    static QString axRole(const QString& atspiRole, bool multiLine);
    // Roles whose text must never be read.
    static bool isProtectedText(const QString& atspiRole);
};

} // namespace vantrel
