#include "accessibility/AccessibilitySummary.h"
#include "FakeAccessibility.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::test::FakeAccessibility;

namespace {

const QString previewCutMarker = QStringLiteral("\n… [truncated, full: accessibility.json]");

// A window with a chain of untitled groups below it and a button at the bottom.
AXElement buttonBelowWindow(FakeAccessibility& ax, int groupsBetween, const QString& windowTitle) {
    AXElement parent = ax.add("AXWindow", windowTitle);
    for (int level = 0; level < groupsBetween; ++level)
        parent = ax.add("AXGroup", std::nullopt, parent);
    return ax.add("AXButton", QStringLiteral("Save"), parent);
}

// n clusters, each several code points long, so no byte or code-unit count agrees with it.
QString clusters(int n) {
    // Qt 6.4 splits a flag that directly follows an emoji, so none does here.
    const QStringList kinds{QStringLiteral("🇫🇷"), QStringLiteral("e\u0301\u0323"),
                            QStringLiteral("👩‍👩‍👧‍👦"), QStringLiteral("a")};
    QString text;
    for (int i = 0; i < n; ++i)
        text += kinds[i % kinds.size()];
    return text;
}

QString subtreeJson(const QString& preview) {
    const QString heading = QStringLiteral("Subtree JSON:\n");
    return preview.mid(preview.indexOf(heading) + heading.size());
}

} // namespace

TEST(AccessibilitySummary, SummariesNameRoleTitleOrIdentifierAndWindow) {
    FakeAccessibility ax;
    const AXElement save = buttonBelowWindow(ax, 1, "Untitled");
    const AXElement loose = ax.add("");
    const AXElement send = ax.add("AXButton", QString(""), ax.add("AXWindow", QString("Mail")));
    ax.set(send, "AXIdentifier", QStringLiteral("send"));
    const AXElement notes = ax.add("AXWindow", QString("Notes"));
    const AXElement sevenBelow = buttonBelowWindow(ax, 6, "Deep");
    const AXElement eightBelow = buttonBelowWindow(ax, 7, "Deep");
    const AXElement unreadableParent = ax.add("", std::nullopt, notes);
    const AXElement belowUnreadable = ax.add("AXCheckBox", QString("Bold"), unreadableParent);

    const QList<std::pair<AXElement, QString>> cases{
        {save, "Button \"Save\" · Untitled"},
        {loose, "Element"},
        {send, "Button id=send · Mail"},
        {notes, "Window \"Notes\" · Notes"},
        {sevenBelow, "Button \"Save\" · Deep"},
        {eightBelow, "Button \"Save\""},
        {belowUnreadable, "CheckBox \"Bold\" · Notes"},
    };
    for (const auto& [element, expected] : cases)
        EXPECT_EQ(AccessibilitySummary::summary(ax, element), expected);
}

// The element first, then its parents, up to the limit or the top, whichever comes first.
TEST(AccessibilitySummary, AncestorChainsStopAtTheLimitOrTheTop) {
    FakeAccessibility ax;
    const AXElement deep = buttonBelowWindow(ax, 4, "Deep");
    const AXElement shallow = buttonBelowWindow(ax, 0, "Shallow");
    const std::tuple<AXElement, int, QString> cases[] = {
        {deep, 4, "AXButton Save, AXGroup , AXGroup , AXGroup "},
        {deep, 1, "AXButton Save"},
        {deep, 0, ""},
        {shallow, 4, "AXButton Save, AXWindow Shallow"},
    };
    for (const auto& [element, limit, expected] : cases) {
        QStringList entries;
        for (const AncestorEntry& entry : AccessibilitySummary::ancestorChain(ax, element, limit))
            entries.append(entry.value("role") + u' ' + entry.value("title"));
        EXPECT_EQ(entries.join(", "), expected) << limit;
    }
}

TEST(AccessibilitySummary, PreviewListsTargetThenPathOutermostFirstThenTree) {
    FakeAccessibility ax;
    const AXElement window = ax.add("AXWindow", QString("Mail"));
    const AXElement button = ax.add("AXButton", QString("Send"), ax.add("AXGroup", {}, window));
    const QList<AncestorEntry> chain{
        {{"role", "AXButton"}, {"title", "Send"}},
        {{"role", "AXGroup"}, {"title", ""}},
        {{"role", "AXWindow"}, {"title", "Mail"}},
        {{"title", "Orphan"}},
    };
    const SnapshotNode tree{{"role", "AXButton"}, {"title", "Send"}};
    EXPECT_EQ(AccessibilitySummary::inlinePreview(ax, button, chain, tree),
              "Target: Button \"Send\" · Mail\n"
              "Path: ? \"Orphan\" → Window \"Mail\" → Group → Button \"Send\"\n"
              "Subtree JSON:\n"
              "{\"role\":\"AXButton\",\"title\":\"Send\"}");
}

TEST(AccessibilitySummary, PreviewCutsTheTreeAtFourThousandUserPerceivedCharacters) {
    FakeAccessibility ax;
    const AXElement element = ax.add("AXStaticText");
    const int wrapper = QStringLiteral("{\"role\":\"\"}").size(); // ASCII only
    const int prefix = QStringLiteral("{\"role\":\"").size();
    for (const int total : {3999, 4000, 4001, 6000}) {
        const QString role = clusters(total - wrapper);
        const QString full = QStringLiteral("{\"role\":\"") + role + QStringLiteral("\"}");
        ASSERT_GT(full.size(), 4000 * 2) << "code units must not agree with clusters";
        const QString json =
            subtreeJson(AccessibilitySummary::inlinePreview(ax, element, {}, {{"role", role}}));
        QString expected = full;
        if (total == 4001) // one over the limit loses only the closing brace
            expected = full.chopped(1) + previewCutMarker;
        if (total > 4001)
            expected = QStringLiteral("{\"role\":\"") + clusters(4000 - prefix) + previewCutMarker;
        EXPECT_EQ(json, expected) << total;
    }
}
