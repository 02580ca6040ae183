#include "platform/linux/AtspiRoleMap.h"

#include <gtest/gtest.h>

using namespace vantrel;

// A multi-line entry is a text area, a password stays secure even when multi-line, and only what
// maps to a secure text field has its text withheld. The state matters only for text. The core
// finds windows by AXWindow, whatever AT-SPI calls them. Unlisted roles keep their own name;
// meaningless ones become unknown. Newer AT-SPI names count as the older ones do.
TEST(AtspiRoleMap, MapsTheRolesWhoseMeaningDependsOnMoreThanTheName) {
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"entry", false, "AXTextField"},
        {"entry", true, "AXTextArea"},
        {"text", true, "AXTextArea"},
        {"password text", false, "AXSecureTextField"},
        {"password text", true, "AXSecureTextField"},
        {"label", true, "AXStaticText"},
        {"frame", false, "AXWindow"},
        {"dialog", false, "AXWindow"},
        // AT-SPI 2.56 renamed the push button and added the switch.
        {"button", false, "AXButton"},
        {"switch", false, "AXCheckBox"},
        {"spin button", false, "AXSpinButton"},
        {"table column header", false, "AXTableColumnHeader"},
        {"unknown", false, "AXUnknown"},
        {"invalid", false, "AXUnknown"},
        {"", false, "AXUnknown"}};
    for (const auto& [atspiRole, multiLine, expected] : cases) {
        SCOPED_TRACE(atspiRole);
        EXPECT_EQ(AtspiRoleMap::axRole(atspiRole, multiLine), expected);
        EXPECT_EQ(AtspiRoleMap::isProtectedText(atspiRole),
                  expected == QString("AXSecureTextField"));
    }
}
