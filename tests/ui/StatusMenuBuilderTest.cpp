#include "ui/StatusMenuBuilder.h"
#include "platform/linux/LinuxVocabulary.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

// The titles between separators, one list per section.
QList<QStringList> sections(const QList<StatusMenuItem>& items) {
    QList<QStringList> shown{{}};
    for (const StatusMenuItem& item : items) {
        if (item.isSeparator())
            shown.append(QStringList());
        else
            shown.last().append(item.title);
    }
    return shown;
}

const QList<QStringList> everyPermissionMenu = {{"Capture Mode", "Paste To ▸ Claude Code"},
                                                {"Copy Window (⌃⌥C)", "Copy Area (⌃⌥R)"},
                                                {"Open Latest Bundle"},
                                                {"About Vantrel", "Setup Assistant…", "Settings…"},
                                                {"Vantrel Website", "Documentation",
                                                 "Send Feedback", "Check for Updates…",
                                                 "More by Quendale Software"},
                                                {"Quit Vantrel"}};

TEST(StatusMenuBuilder, TheWarningBlockNamesEachMissingPermission) {
    const QString ax = "⚠︎ Accessibility not granted";
    const QString screen = "⚠︎ Screen Recording not granted";
    const struct {
        const char* name;
        bool accessibility;
        bool screenRecording;
        QStringList warnings;
    } cases[] = {
        {"both granted", true, true, {}},
        {"accessibility missing", false, true, {ax}},
        {"screen recording missing", true, false, {screen}},
        {"both missing", false, false, {ax, screen}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const StatusMenu menu = StatusMenuBuilder::build(
            {c.accessibility, c.screenRecording, CaptureMode::bundle, AgentPasteTarget::claudeCode},
            PlatformVocabulary::macOS());
        const QList<QStringList> head{c.warnings + QStringList{"Open Setup Assistant…"}};
        EXPECT_EQ(sections(menu.items),
                  (c.warnings.isEmpty() ? everyPermissionMenu : head + everyPermissionMenu));
        for (qsizetype index = 0; index < c.warnings.size(); ++index) {
            EXPECT_FALSE(menu.items[index].enabled);
            EXPECT_EQ(menu.items[index].action, StatusMenuAction::none);
        }
        if (!c.warnings.isEmpty()) {
            EXPECT_EQ(menu.items[c.warnings.size()].action, StatusMenuAction::showOnboarding);
        }
    }
}

TEST(StatusMenuBuilder, SubmenusCarryRawValuesAndCheckTheCurrentChoice) {
    const StatusMenu menu =
        StatusMenuBuilder::build({true, true, CaptureMode::screenshot, AgentPasteTarget::codex},
                                 PlatformVocabulary::macOS());
    const StatusMenuItem& modes = menu.items[0];
    const StatusMenuItem& agents = menu.items[1];
    EXPECT_EQ(sections(modes.submenu),
              (QList<QStringList>{
                  {"Full capture (for agents)", "Screenshot only", "Text tree (cloud chat)"}}));
    EXPECT_EQ(agents.title, "Paste To ▸ Codex");
    EXPECT_EQ(sections(agents.submenu), (QList<QStringList>{{"Cursor", "Claude Code", "Codex"}}));
    QStringList checked, arguments;
    for (const auto& item : modes.submenu + agents.submenu) {
        arguments.append(item.argument);
        if (item.checked)
            checked.append(item.argument);
    }
    EXPECT_EQ(checked, (QStringList{"screenshot", "codex"}));
    EXPECT_EQ(arguments,
              (QStringList{"bundle", "screenshot", "tree", "cursor", "claudeCode", "codex"}));
}

TEST(StatusMenuBuilder, KeysAndToolTipUseThePlatformsWords) {
    const PlatformVocabulary words = LinuxVocabulary::words();
    const StatusMenu menu = StatusMenuBuilder::build(
        {true, true, CaptureMode::bundle, AgentPasteTarget::cursor}, words);
    EXPECT_EQ(menu.items[3].title, "Copy Window (Ctrl+Alt+C)");
    EXPECT_EQ(menu.items[4].title, "Copy Area (Ctrl+Alt+R)");
    EXPECT_EQ(StatusMenuBuilder::toolTip(AgentPasteTarget::cursor, words),
              "Vantrel — Ctrl+Alt+C window · Ctrl+Alt+R area · Paste to Cursor");
}

} // namespace
