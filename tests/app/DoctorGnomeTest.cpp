#include "app/Doctor.h"
#include "platform/wayland/ScreenshotPermissionProbe.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using Verdict = DoctorFinding::Verdict;
using Answer = ScreenshotPermissionState::Answer;

QList<std::pair<QString, Verdict>> gnomeChecks(const DoctorFacts& facts) {
    QList<std::pair<QString, Verdict>> checks;
    for (const DoctorFinding& finding : Doctor::findings(facts))
        checks.append({finding.check, finding.verdict});
    return checks;
}

DoctorFacts gnomeDoctorFacts() {
    DoctorFacts facts;
    facts.sessionType = "wayland";
    facts.waylandDisplay = true;
    facts.display = ":0"; // Xwayland, which GNOME's captures do not use
    facts.appVersion = "1.0";
    facts.gnomeExtension = GnomeExtensionState{true, "1.0", {}};
    facts.bus = {true, true, true, {}};
    return facts;
}

// On GNOME on Wayland the session is fine as it is, no X11 display is checked, and a shortcut
// GNOME holds names the setting that holds it.
TEST(DoctorOnGnome, ChecksWhatGnomesCapturesUse) {
    DoctorFacts facts = gnomeDoctorFacts();
    facts.hotKeys = {
        {"Ctrl+Alt+C", true, {}},
        {"Ctrl+Alt+R", false, "org.gnome.desktop.wm.keybindings switch-to-workspace-last"}};
    const QList<std::pair<QString, Verdict>> expected{{"session", Verdict::ok},
                                                      {"gnomeExtension", Verdict::ok},
                                                      {"accessibilityBus", Verdict::ok},
                                                      {"hotKey", Verdict::ok},
                                                      {"hotKey", Verdict::problem}};
    EXPECT_EQ(gnomeChecks(facts), expected);
    const DoctorFinding held = Doctor::findings(facts).last();
    EXPECT_EQ(held.summary,
              "Ctrl+Alt+R: held by org.gnome.desktop.wm.keybindings switch-to-workspace-last");
    EXPECT_TRUE(held.fix.contains("Settings → Keyboard → View and Customize Shortcuts"));
}

TEST(DoctorOnGnome, ThePortalsPermissionIsJudgedByItsAnswer) {
    const struct {
        Answer answer;
        Verdict verdict;
        const char* summaryPart;
    } cases[] = {
        {Answer::granted, Verdict::ok, "may take screenshots"},
        {Answer::notAsked, Verdict::note, "will ask \"Allow Applications to Take Screenshots?\""},
        {Answer::denied, Verdict::problem, "was refused"},
        {Answer::unknown, Verdict::problem, "does not answer: no bus"},
    };
    for (const auto& c : cases) {
        DoctorFacts facts = gnomeDoctorFacts();
        facts.gnomeExtension = GnomeExtensionState{false, {}, "gone"};
        facts.screenshotPermission = ScreenshotPermissionState{c.answer, "no bus"};
        const QList<DoctorFinding> found = Doctor::findings(facts);
        ASSERT_EQ(found.value(2).check, "screenshotPortal") << c.summaryPart;
        EXPECT_EQ(found[2].verdict, c.verdict) << c.summaryPart;
        EXPECT_TRUE(found[2].summary.contains(c.summaryPart)) << qPrintable(found[2].summary);
    }
}

// The store keeps one answer per app id; ours is the empty one.
TEST(DoctorOnGnome, TheStoredAnswerIsTheEmptyAppIds) {
    using Entry = QMap<QString, QStringList>;
    const struct {
        Entry entry;
        Answer answer;
    } cases[] = {
        {Entry{}, Answer::notAsked},
        {Entry{{"", {}}}, Answer::notAsked},
        {Entry{{"org.other.App", {"yes"}}}, Answer::notAsked},
        {Entry{{"", {"yes"}}}, Answer::granted},
        {Entry{{"", {"no"}}, {"org.other.App", {"yes"}}}, Answer::denied},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScreenshotPermissionProbe::answer(c.entry), c.answer) << c.entry.size();
}

} // namespace
} // namespace vantrel
