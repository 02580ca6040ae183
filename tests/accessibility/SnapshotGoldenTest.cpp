#include "AccessibilityTestSupport.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::test;

namespace {

const QString testDir = QStringLiteral(VANTREL_SOURCE_DIR "/tests/accessibility/");

const auto readAll = vantrel::testing::VantrelProcess::readBytes;

// What changes from run to run: the capture time.
QByteArray masked(QByteArray text) {
    static const QRegularExpression time("\"capturedAt\": \"[^\"]*\"");
    return QString::fromUtf8(text).replace(time, "\"capturedAt\": \"<time>\"").toUtf8();
}

} // namespace

// Set VANTREL_UPDATE_GOLDEN=1 to rewrite the golden file after a deliberate format change.
TEST(SnapshotGolden, ACursorCaptureOfTheSettingsFormMatchesTheGoldenFile) {
    CaptureHarness harness(readAll(testDir + "scenes/settings-form.json"));
    const auto record = harness.service.captureUnderMouse({}, {}, false);
    const QString goldenPath = testDir + "golden/settings-form-cursor.json";
    const QByteArray actual = masked(readAll(record.fileURL.toLocalFile()));
    if (qEnvironmentVariableIsSet("VANTREL_UPDATE_GOLDEN")) {
        QFile golden(goldenPath);
        ASSERT_TRUE(golden.open(QIODevice::WriteOnly));
        golden.write(actual);
    }
    EXPECT_EQ(actual.toStdString(), readAll(goldenPath).toStdString());

    EXPECT_EQ(record.summary, "Group id=settings.account · Settings");
    EXPECT_EQ(record.nodeCount, 8);
    EXPECT_TRUE(record.inlinePreview.startsWith("Target: Group id=settings.account · Settings\n"
                                                "Path: Application \"Codewright\" → Window "
                                                "\"Settings\" → Group\n"
                                                "Subtree JSON:\n{\"children\":[{"))
        << record.inlinePreview.toStdString();
}
