#include "support/VantrelProcess.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace vantrel::testing;

// Each way a root is found is checked on the capture service; here the area travels from the
// command line, in bottom-left space, to the note in the status line, capture1.md and the snapshot.
TEST(AreaCapture, TheAreaAndItsNoteReachEveryOutput) {
    VantrelProcess vantrel;
    const auto result = vantrel.run({"capture", "--scene", VantrelProcess::scene("demo.json"),
                                     "--region", "170,550,300,200", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject report = result.json();
    const QString status = report["status"].toString();
    const QString note = status.section(" AX nodes · ", 1);
    static const QRegularExpression notePattern(
        R"(^region root: Postbox \(pid \d+\); region: 300×200 ax, kept \d+ nodes$)");
    EXPECT_TRUE(notePattern.match(note).hasMatch()) << status.toStdString();
    EXPECT_FALSE(status.contains("region capture"));

    const QJsonObject bundle = report["bundle"].toObject();
    const QStringList document =
        VantrelProcess::readText(bundle["experimentalCaptureURL"].toString()).split(u'\n');
    EXPECT_TRUE(document.value(2).endsWith(" · " + note)) << document.value(2).toStdString();
    const QJsonObject snapshot =
        QJsonDocument::fromJson(
            VantrelProcess::readText(bundle["accessibilityURL"].toString()).toUtf8())
            .object();
    EXPECT_EQ(snapshot["region"].toObject(),
              (QJsonObject{{"x", 170}, {"y", 150}, {"width", 300}, {"height", 200}}));
    EXPECT_EQ(snapshot["regionNote"].toString(), note);
}
