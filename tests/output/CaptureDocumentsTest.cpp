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

const QString documentCutMarker = QStringLiteral("\n… (truncated)");

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
    const QStringList middle =
        QString("\n## For local agents (Cursor, Claude Code)\nAttach or Read:\n- `%1/capture.md`\n"
                "- `%1/screenshot.png` (screenshot)\n- `%2` (accessibility JSON)\n\n"
                "## Accessibility summary\n%3\n%4\n\n## Full AX JSON\n```json\n{\"a\": 1}\n```")
            .arg(folder, json(), target, targetPath)
            .split(u'\n');
    const QStringList stable = lines(true);
    EXPECT_EQ(stable.mid(8, stable.size() - 16), middle);
    EXPECT_EQ(stable.value(3), "Captured: 2026-01-31T09:15:02.042Z");
    EXPECT_FALSE(stable.join(u'\n').contains("region root"));
}

TEST_F(CaptureDocumentsTest, PasteToLineReadsTheSettingsAndTheRegion) {
    defaults.setString(AgentPasteTargetSettings::defaultsKey, "codex");
    defaults.setString(CaptureModeSettings::defaultsKey, "screenshot");
    accessibility.regionNote = QStringLiteral("region root: Mail (pid 501)");
    EXPECT_EQ(lines(false).mid(2, 4),
              (QStringList{"Paste to: Codex · mode: Screenshot only · region root: Mail (pid 501)",
                           "", target, "Captured: 2026-01-31T09:15:02.042Z"}));
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
        SCOPED_TRACE(bytes.toHex().toStdString());
        snapshot(bytes);
        if (bytes == "missing")
            QFile::remove(json());
        for (const bool stable : {true, false}) {
            const QStringList document = lines(stable);
            const qsizetype preview = document.indexOf(targetPath);
            ASSERT_GT(preview, 0);
            EXPECT_EQ(document.mid(preview + 1, 2), (QStringList{"", ""}));
            EXPECT_NE(document.value(preview + 3), "");
            EXPECT_FALSE(document.contains("## Full AX JSON"));
        }
    }
}

// The stable document cuts the JSON after 120000 clusters; the experimental one embeds up to 4096
// bytes and otherwise points at the file.
TEST_F(CaptureDocumentsTest, DocumentsCutOrPointAtLongJson) {
    const QString kept = QStringLiteral("e\u0301").repeated(120000); // two code points a cluster
    const QString a4094(4094, u'a');
    const std::tuple<bool, QString, std::optional<QString>> cases[] = {
        {true, kept, kept},
        {true, kept + "é", kept + documentCutMarker},
        {false, a4094 + "é", a4094 + "é"},                         // 4096 bytes
        {false, a4094 + "aé", std::nullopt},                       // 4097 bytes, 4096 code units
        {false, QStringLiteral("€").repeated(1366), std::nullopt}, // 4098 bytes, 1366 clusters
    };
    for (const auto& [stable, text, embedded] : cases) {
        SCOPED_TRACE(text.size());
        snapshot(text.toUtf8());
        const QStringList document = lines(stable, false);
        const QStringList expected =
            (embedded ? "```json\n" + *embedded + "\n```" : "Read file: `" + json() + "`\n")
                .split(u'\n');
        EXPECT_EQ(document.mid(document.indexOf("## Full AX JSON") + 1, expected.size()), expected);
    }
}

} // namespace
