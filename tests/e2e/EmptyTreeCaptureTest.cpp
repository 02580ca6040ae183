#include "support/VantrelProcess.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace vantrel::testing;

// A window that exposes no children gets the cause and its toolkit's fix after the unchanged
// status line, in the toast and in capture1.md; a field alone is a whole capture.
TEST(EmptyTreeCapture, AnEmptyWindowNamesItsToolkitsFixAndALeafRootDoesNot) {
    VantrelProcess vantrel;
    const QString scene = vantrel.writeFile("empty.json", R"({
      "screens": [{"frame": [0, 0, 1440, 900]}],
      "apps": [{"pid": 501, "name": "Notes", "toolkit": "Qt"}, {"pid": 502, "name": "Form"}],
      "windows": [
        {"id": 1, "pid": 501, "title": "Notes", "bounds": [100, 60, 400, 300],
         "ax": {"role": "AXWindow", "title": "Notes", "frame": [100, 60, 400, 300]}},
        {"id": 2, "pid": 502, "title": "Form", "bounds": [600, 60, 400, 300],
         "ax": {"role": "AXWindow", "title": "Form", "frame": [600, 60, 400, 300], "children": [
           {"role": "AXTextField", "title": "Name", "frame": [620, 100, 200, 30]}]}}
      ]
    })");
    const struct {
        const char* at; // bottom-left space
        const char* toastStart;
        QString explanation; // empty: none anywhere
    } cases[] = {
        {"200,700", "Copied, but Qt exposes no AX tree — restart it with",
         "The AX tree is empty (Qt): Qt applications join the accessibility bus only when "
         "assistive technologies were on before they started. Fix: restart it with "
         "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 in its environment, or after switching on assistive "
         "technologies. `vantrel doctor` checks every application."},
        {"700,785", "Copied — press ", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at);
        const auto json = vantrel.run({"capture", "--scene", scene, "--at", c.at, "--json"});
        ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
        const QJsonObject report = json.json();
        static const QRegularExpression statusForm("^Copied for [^:]+: .+ · 1 AX nodes$");
        EXPECT_TRUE(statusForm.match(report["status"].toString()).hasMatch())
            << report["status"].toString().toStdString();
        EXPECT_TRUE(report["toast"].toString().startsWith(c.toastStart))
            << report["toast"].toString().toStdString();
        EXPECT_EQ(report.contains("statusFollowUp"), !c.explanation.isEmpty());
        EXPECT_EQ(report["statusFollowUp"].toString(), c.explanation);
        const QString capture1 = VantrelProcess::readText(
            report["bundle"].toObject()["experimentalCaptureURL"].toString());
        const QString capture =
            VantrelProcess::readText(report["bundle"].toObject()["stableCaptureURL"].toString());
        EXPECT_EQ(capture1.contains("The AX tree is empty"), !c.explanation.isEmpty());
        if (!c.explanation.isEmpty()) {
            EXPECT_TRUE(capture1.split('\n').contains(c.explanation));
        }
        EXPECT_FALSE(capture.contains("The AX tree is empty"));

        // Without --json the follow-up is the line after the status line.
        const auto text = vantrel.run({"capture", "--scene", scene, "--at", c.at});
        const QStringList lines = text.out.trimmed().split('\n');
        EXPECT_EQ(lines.size(), c.explanation.isEmpty() ? 1 : 2);
        EXPECT_EQ(lines.value(1), c.explanation);
    }
}
