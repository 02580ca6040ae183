#include "platform/linux/AtspiRoleMap.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct RoleCase {
    const char* atspiRole;
    bool multiLine;
    const char* expected;
};

class AtspiRoleMapTest : public testing::TestWithParam<RoleCase> {};

// Only what maps to a secure text field has its text withheld.
TEST_P(AtspiRoleMapTest, MapsTheRolesWhoseMeaningDependsOnMoreThanTheName) {
    const RoleCase& c = GetParam();
    const QString role = QString::fromUtf8(c.atspiRole);
    EXPECT_EQ(AtspiRoleMap::axRole(role, c.multiLine), QString::fromUtf8(c.expected));
    EXPECT_EQ(AtspiRoleMap::isProtectedText(role), c.expected == std::string("AXSecureTextField"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AtspiRoleMapTest,
    testing::Values(
        // A multi-line entry is a text area; a password stays secure even when multi-line.
        RoleCase{"entry", false, "AXTextField"}, RoleCase{"entry", true, "AXTextArea"},
        RoleCase{"text", true, "AXTextArea"}, RoleCase{"password text", false, "AXSecureTextField"},
        RoleCase{"password text", true, "AXSecureTextField"},
        // The state matters only for text: a multi-line label is still a label.
        RoleCase{"label", true, "AXStaticText"},
        // The core finds windows by this role, whatever AT-SPI calls them.
        RoleCase{"frame", false, "AXWindow"}, RoleCase{"dialog", false, "AXWindow"},
        // Unlisted roles keep their own name; meaningless ones become unknown.
        RoleCase{"spin button", false, "AXSpinButton"},
        RoleCase{"table column header", false, "AXTableColumnHeader"},
        RoleCase{"unknown", false, "AXUnknown"}, RoleCase{"invalid", false, "AXUnknown"},
        RoleCase{"", false, "AXUnknown"}));

} // namespace
} // namespace vantrel
