#include "output/CaptureDocuments.h"
#include "OutputTestSupport.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/CaptureModeSettings.h"
#include "output/SnapshotJsonText.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/VirtualClock.h"

#include <QTemporaryDir>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

const QString marker = QStringLiteral("\n… (truncated)");

class CaptureDocumentsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(temporary.isValid());
        clock.advance(std::chrono::milliseconds(42));
        snapshot(R"({"a": 1})");
    }

    QString json() const { return folder + QStringLiteral("/accessibility.json"); }
    void snapshot(const QByteArray& bytes) { accessibility = snapshotAt(json(), bytes); }

    QStringList lines(bool stable, bool withScreenshot = true) const {
        const CaptureDocuments documents(clock, defaults);
        const auto paths = bundleIn<CaptureDocumentPaths>(folder, withScreenshot);
        const auto text = SnapshotJsonText::read(paths.accessibilityURL);
        return (stable ? documents.stableCaptureText(accessibility, paths, text)
                       : documents.experimentalCaptureText(accessibility, paths, text))
            .split(u'\n');
    }

    QTemporaryDir temporary;
    QString folder = temporary.path() + QStringLiteral("/bundle");
    VirtualClock clock;
    MemoryUserDefaults defaults;
    CapturedAccessibility accessibility;
};

// The header and the asset list are checked end to end; the middle only here.
TEST_F(CaptureDocumentsTest, StableDocumentListsFilesSummaryAndJson) {
    accessibility.regionNote = QStringLiteral("region root: Mail (pid 501)");
    const QStringList middle{
        "",
        "## For local agents (Cursor, Claude Code)",
        "Attach or Read:",
        "- `" + folder + "/capture.md`",
        "- `" + folder + "/screenshot.png` (screenshot)",
        "- `" + json() + "` (accessibility JSON)",
        "",
        "## Accessibility summary",
        "Target: Button \"Send\" · Inbox",
        "Path: Window \"Inbox\" → Button \"Send\"",
        "",
        "## Full AX JSON",
        "```json",
        R"({"a": 1})",
        "```",
    };
    const QStringList stable = lines(true);
    EXPECT_EQ(stable.mid(8, stable.size() - 16), middle);
    EXPECT_EQ(stable.value(3), "Captured: 2026-01-31T09:15:02.042Z");
    EXPECT_FALSE(stable.join(u'\n').contains("region root"));
}

TEST_F(CaptureDocumentsTest, PasteToLineReadsTheSettingsAndTheRegion) {
    defaults.setString(AgentPasteTargetSettings::defaultsKey, "codex");
    defaults.setString(CaptureModeSettings::defaultsKey, "screenshot");
    accessibility.regionNote = QStringLiteral("region root: Mail (pid 501)");
    EXPECT_EQ(
        lines(false).mid(2, 4),
        (QStringList{"Paste to: Codex · mode: Screenshot only · region root: Mail (pid 501)", "",
                     "Target: Button \"Send\" · Inbox", "Captured: 2026-01-31T09:15:02.042Z"}));
}

TEST_F(CaptureDocumentsTest, WithoutScreenshotOnlyTheScreenshotLinesGo) {
    for (const auto& [stable, screenshotLines] : {std::pair{true, 2}, std::pair{false, 1}}) {
        QStringList expected = lines(stable, true);
        expected.removeIf([](const QString& line) { return line.contains("screenshot"); });
        EXPECT_EQ(lines(stable, false), expected) << stable;
        EXPECT_EQ(lines(stable, true).size() - screenshotLines, expected.size()) << stable;
    }
}

// Empty, not UTF-8, or missing: the section and its heading go, the empty lines around stay.
TEST_F(CaptureDocumentsTest, UnusableJsonDropsOnlyTheSection) {
    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("{\"title\": \"\xff\xfe\"}"), QByteArray("missing")}) {
        snapshot(bytes);
        if (bytes == "missing")
            QFile::remove(json());
        for (const bool stable : {true, false}) {
            const QStringList document = lines(stable);
            const qsizetype preview = document.indexOf("Path: Window \"Inbox\" → Button \"Send\"");
            ASSERT_GT(preview, 0);
            EXPECT_EQ(document.mid(preview + 1, 2), (QStringList{"", ""}))
                << bytes.toHex().toStdString();
            EXPECT_NE(document.value(preview + 3), "") << bytes.toHex().toStdString();
            EXPECT_FALSE(document.contains("## Full AX JSON")) << bytes.toHex().toStdString();
        }
    }
}

TEST_F(CaptureDocumentsTest, StableDocumentCutsTheJsonAfter120000Clusters) {
    // Two code points per cluster, so a cut by code units would land elsewhere.
    const QString kept = QStringLiteral("e\u0301").repeated(120000);
    for (const auto& [text, expected] :
         {std::pair{kept, kept}, std::pair{kept + "é", kept + marker}}) {
        snapshot(text.toUtf8());
        EXPECT_EQ(fencedJson(lines(true, false)), expected) << text.size();
    }
}

TEST_F(CaptureDocumentsTest, ExperimentalDocumentEmbedsUpTo4096Bytes) {
    const QString twoBytes = QStringLiteral("é");
    const std::pair<QString, bool> cases[] = {
        {QString(4094, u'a') + twoBytes, true},      // 4096 bytes
        {QString(4095, u'a') + twoBytes, false},     // 4097 bytes, 4096 code units
        {QStringLiteral("€").repeated(1366), false}, // 4098 bytes, 1366 clusters
    };
    for (const auto& [text, embedded] : cases) {
        snapshot(text.toUtf8());
        const QStringList document = lines(false, false);
        const qsizetype heading = document.indexOf("## Full AX JSON");
        ASSERT_GT(heading, 0);
        if (embedded) {
            EXPECT_EQ(document.mid(heading + 1, 3), (QStringList{"```json", text, "```"}));
        } else {
            EXPECT_EQ(document.mid(heading + 1, 2),
                      (QStringList{"Read file: `" + json() + "`", ""}))
                << text.size();
        }
    }
}

} // namespace
