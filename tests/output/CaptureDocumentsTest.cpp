#include "output/CaptureDocuments.h"
#include "OutputTestSupport.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "output/CaptureModeSettings.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/VirtualClock.h"

#include <QTemporaryDir>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

class CaptureDocumentsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(temporary.isValid());
        folder = temporary.path() + QStringLiteral("/2026-01-31_09-15-02-042");
        clock.advance(std::chrono::milliseconds(42));
    }

    CaptureDocumentPaths paths(bool withScreenshot) const {
        CaptureDocumentPaths result{
            QUrl::fromLocalFile(folder),
            QUrl::fromLocalFile(folder + QStringLiteral("/capture.md")),
            QUrl::fromLocalFile(folder + QStringLiteral("/capture1.md")),
            std::nullopt,
            QUrl::fromLocalFile(json()),
        };
        if (withScreenshot)
            result.screenshotURL = QUrl::fromLocalFile(folder + QStringLiteral("/screenshot.png"));
        return result;
    }

    QString json() const { return folder + QStringLiteral("/accessibility.json"); }

    CapturedAccessibility snapshot(const QByteArray& bytes) const {
        return snapshotAt(json(), bytes);
    }

    QStringList stableLines(const CapturedAccessibility& accessibility, bool withScreenshot) {
        return CaptureDocuments(clock, defaults)
            .stableCaptureText(accessibility, paths(withScreenshot))
            .split(u'\n');
    }

    QStringList experimentalLines(const CapturedAccessibility& accessibility, bool withScreenshot) {
        return CaptureDocuments(clock, defaults)
            .experimentalCaptureText(accessibility, paths(withScreenshot))
            .split(u'\n');
    }

    QTemporaryDir temporary;
    QString folder;
    VirtualClock clock;
    MemoryUserDefaults defaults;
};

TEST_F(CaptureDocumentsTest, StableDocumentListsEveryLineInOrder) {
    const CapturedAccessibility accessibility = snapshot(R"({"a": 1})");
    const QStringList expected{
        "# Vantrel capture",
        "",
        "Format: stable (`capture.md`)",
        "Captured: 2026-01-31T09:15:02.042Z",
        "Target: Button \"Send\" · Inbox",
        "",
        "[VANTREL]",
        "Simple bundle — read **this file** first. Full bundle folder: `" + folder + "`",
        "",
        "## For local agents (Cursor, Claude Code)",
        "Attach or Read:",
        "- `" + folder + "/capture.md`",
        "- `" + folder + "/screenshot.png` (screenshot)",
        "- `" + folder + "/accessibility.json` (accessibility JSON)",
        "",
        "## Accessibility summary",
        "Target: Button \"Send\" · Inbox",
        "Path: Window \"Inbox\" → Button \"Send\"",
        "",
        "## Full AX JSON",
        "```json",
        R"({"a": 1})",
        "```",
        "",
        "## Full bundle assets",
        "- screenshot.png — `" + folder + "/screenshot.png`",
        "- accessibility.json — `" + folder + "/accessibility.json`",
        "- capture.md — stable simple bundle",
        "- capture1.md — experimental simple bundle",
        "",
        "Remote agents (Grok, cloud): use **Tree mode** for inline JSON.",
    };
    EXPECT_EQ(stableLines(accessibility, true), expected);
}

TEST_F(CaptureDocumentsTest, ExperimentalDocumentListsEveryLineInOrder) {
    CapturedAccessibility accessibility = snapshot(R"({"a": 1})");
    accessibility.regionNote = QStringLiteral("region root: Mail (pid 501)");
    const QStringList expected{
        "# Vantrel capture (format 1)",
        "",
        "Paste to: Claude Code · mode: Full capture · region root: Mail (pid 501)",
        "",
        "Target: Button \"Send\" · Inbox",
        "Captured: 2026-01-31T09:15:02.042Z",
        "Screenshot: " + folder + "/screenshot.png",
        "Accessibility JSON: " + folder + "/accessibility.json",
        "Bundle folder: " + folder,
        "",
        "## Accessibility summary",
        "Target: Button \"Send\" · Inbox",
        "Path: Window \"Inbox\" → Button \"Send\"",
        "",
        "## Full AX JSON",
        "```json",
        R"({"a": 1})",
        "```",
        "",
        "Stable fallback: " + folder + "/capture.md",
    };
    EXPECT_EQ(experimentalLines(accessibility, true), expected);
    EXPECT_FALSE(stableLines(accessibility, true).join(u'\n').contains("region root"));
}

TEST_F(CaptureDocumentsTest, WithoutScreenshotOnlyTheScreenshotLinesGo) {
    const CapturedAccessibility accessibility = snapshot(R"({"a": 1})");
    const auto withoutScreenshotLines = [](QStringList lines) {
        lines.removeIf([](const QString& line) { return line.contains("screenshot"); });
        return lines;
    };
    EXPECT_EQ(stableLines(accessibility, false),
              withoutScreenshotLines(stableLines(accessibility, true)));
    EXPECT_EQ(stableLines(accessibility, true).size() - 2,
              stableLines(accessibility, false).size());
    EXPECT_EQ(experimentalLines(accessibility, false),
              withoutScreenshotLines(experimentalLines(accessibility, true)));
    EXPECT_EQ(experimentalLines(accessibility, true).size() - 1,
              experimentalLines(accessibility, false).size());
}

TEST_F(CaptureDocumentsTest, PasteToLineFollowsTheSettingsAtBuildTime) {
    struct Case {
        std::optional<QString> agent;
        std::optional<QString> pasteboardFormat;
        std::optional<QString> mode;
        QString expected;
    };
    const Case cases[] = {
        {{}, {}, {}, "Paste to: Claude Code · mode: Full capture"},
        {{}, "cursorV2", {}, "Paste to: Cursor · mode: Full capture"},
        {"codex", "claudeCodeV2", "screenshot", "Paste to: Codex · mode: Screenshot only"},
        {"Cursor", "claudeCodeV1", "tree", "Paste to: Claude Code · mode: Text tree"},
    };
    const CapturedAccessibility accessibility = snapshot("{}");
    for (const Case& c : cases) {
        MemoryUserDefaults fresh;
        if (c.agent)
            fresh.setString(AgentPasteTargetSettings::defaultsKey, *c.agent);
        if (c.pasteboardFormat)
            fresh.setString(BundlePasteboardFormatSettings::defaultsKey, *c.pasteboardFormat);
        if (c.mode)
            fresh.setString(CaptureModeSettings::defaultsKey, *c.mode);
        const QStringList lines = CaptureDocuments(clock, fresh)
                                      .experimentalCaptureText(accessibility, paths(false))
                                      .split(u'\n');
        EXPECT_EQ(lines.value(2), c.expected);
    }
}

TEST_F(CaptureDocumentsTest, UnusableJsonDropsOnlyTheSection) {
    const QByteArray unusable[] = {QByteArray(), QByteArray("{\"title\": \"\xff\xfe\"}")};
    for (const QByteArray& bytes : unusable) {
        const CapturedAccessibility accessibility = snapshot(bytes);
        for (const QStringList& lines :
             {stableLines(accessibility, true), experimentalLines(accessibility, true)}) {
            EXPECT_FALSE(lines.contains("## Full AX JSON")) << bytes.toHex().toStdString();
            const qsizetype preview = lines.indexOf("Path: Window \"Inbox\" → Button \"Send\"");
            ASSERT_GT(preview, 0);
            EXPECT_EQ(lines.value(preview + 1), "");
            EXPECT_EQ(lines.value(preview + 2), "");
            EXPECT_NE(lines.value(preview + 3), "");
        }
    }
    CapturedAccessibility missing = snapshot("{}");
    QFile::remove(json());
    EXPECT_FALSE(stableLines(missing, false).contains("## Full AX JSON"));
    EXPECT_FALSE(experimentalLines(missing, false).contains("## Full AX JSON"));
}

TEST_F(CaptureDocumentsTest, StableDocumentCutsTheJsonAfter120000Clusters) {
    // Two code points per cluster, so a cut by code units would land elsewhere.
    const QString cluster = QStringLiteral("e\u0301");
    struct Case {
        int clusters;
        QString expected;
    };
    const Case cases[] = {
        {120000, clusters(cluster, 120000)},
        {120001, clusters(cluster, 120000) + QStringLiteral("\n… (truncated)")},
    };
    for (const Case& c : cases) {
        const CapturedAccessibility accessibility =
            snapshot(clusters(cluster, c.clusters).toUtf8());
        EXPECT_EQ(fencedJson(stableLines(accessibility, false)), c.expected) << c.clusters;
    }
}

TEST_F(CaptureDocumentsTest, ExperimentalDocumentEmbedsUpTo4096Bytes) {
    struct Case {
        QString text;
        bool embedded;
    };
    const Case cases[] = {
        {QString(4094, u'a') + QStringLiteral("é"), true},  // 4096 bytes
        {QString(4095, u'a') + QStringLiteral("é"), false}, // 4097 bytes
        {clusters("€", 1365) + "a", true},                  // 4096 bytes, 1366 clusters
        {clusters("€", 1366), false},                       // 4098 bytes, 1366 clusters
        {QString(4097, u'a'), false},
    };
    for (const Case& c : cases) {
        const CapturedAccessibility accessibility = snapshot(c.text.toUtf8());
        const QStringList lines = experimentalLines(accessibility, false);
        const qsizetype heading = lines.indexOf("## Full AX JSON");
        ASSERT_GT(heading, 0);
        if (c.embedded) {
            EXPECT_EQ(fencedJson(lines), c.text) << c.text.toUtf8().size();
        } else {
            EXPECT_EQ(lines.value(heading + 1), "Read file: `" + json() + "`");
            EXPECT_EQ(lines.value(heading + 2), "") << c.text.toUtf8().size();
            EXPECT_FALSE(lines.contains("```json"));
        }
    }
}

} // namespace
