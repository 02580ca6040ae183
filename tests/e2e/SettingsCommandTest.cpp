#include "support/VantrelProcess.h"

#include <gtest/gtest.h>

using namespace vantrel::testing;

TEST(SettingsCommand, RoundTripsThroughTheUsersDefaults) {
    VantrelProcess vantrel;
    const QString fresh = "mode: bundle\nagent: claudeCode\npasteboard-format: claudeCodeV2\n"
                          "bundle-format: experimental\n";
    const auto listed = vantrel.run({"settings"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, fresh);

    const auto chosen = vantrel.run({"settings", "agent", "codex"});
    EXPECT_EQ(chosen.exitCode, 0);
    EXPECT_EQ(chosen.out, "mode: bundle\nagent: codex\npasteboard-format: cursorV2\n"
                          "bundle-format: experimental\n");

    // A format chosen afterwards keeps the agent.
    EXPECT_EQ(vantrel.run({"settings", "pasteboard-format", "claudeCodeV1"}).exitCode, 0);
    const auto agent = vantrel.run({"settings", "agent"});
    EXPECT_EQ(agent.exitCode, 0);
    EXPECT_EQ(agent.out, "codex\n");
    EXPECT_EQ(vantrel.run({"settings", "pasteboard-format"}).out, "claudeCodeV1\n");
    EXPECT_EQ(vantrel.run({"settings", "mode", "tree"}).exitCode, 0);
    EXPECT_EQ(vantrel.run({"settings", "bundle-format", "stable"}).exitCode, 0);
    EXPECT_EQ(vantrel.run({"settings"}).out, "mode: tree\nagent: codex\npasteboard-format: "
                                             "claudeCodeV1\nbundle-format: stable\n");
}

TEST(SettingsCommand, UnknownNamesAndValuesAreUsageErrorsThatChangeNothing) {
    VantrelProcess vantrel;
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{"settings", "colour"}, "vantrel settings: unknown setting \"colour\""},
        {{"settings", "mode", "Tree"}, "vantrel settings: \"Tree\" is not a value of mode"},
        {{"settings", "agent", "Cursor"}, "vantrel settings: \"Cursor\" is not a value of agent"},
        {{"settings", "mode", "tree", "extra"}, "vantrel settings: too many arguments"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const auto result = vantrel.run(c.arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
    EXPECT_EQ(vantrel.run({"settings", "mode"}).out, "bundle\n");
    EXPECT_EQ(vantrel.run({"settings", "agent"}).out, "claudeCode\n");
}
