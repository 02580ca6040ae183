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

TEST_P(AtspiRoleMapTest, MapsTheRolesWhoseMeaningDependsOnMoreThanTheName) {
    const RoleCase& c = GetParam();
    EXPECT_EQ(AtspiRoleMap::axRole(QString::fromUtf8(c.atspiRole), c.multiLine),
              QString::fromUtf8(c.expected));
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

TEST(AtspiRoleMap, ProtectsPasswordTextOnly) {
    EXPECT_TRUE(AtspiRoleMap::isProtectedText(QStringLiteral("password text")));
    EXPECT_FALSE(AtspiRoleMap::isProtectedText(QStringLiteral("entry")));
    EXPECT_FALSE(AtspiRoleMap::isProtectedText(QStringLiteral("text")));
}

} // namespace
} // namespace vantrel
