// `vantrel doctor` on the headless GNOME: what GNOME's captures use, in GNOME's words, and none
// of X11's checks.
#include "platform/wayland/GnomeShellHelper.h"
#include "support/WaylandProbe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

QJsonArray doctorFindings() {
    QProcess vantrel;
    vantrel.start(qEnvironmentVariable("VANTREL_TEST_BIN") + "/vantrel", {"doctor", "--json"});
    vantrel.waitForFinished(60000);
    return QJsonDocument::fromJson(vantrel.readAllStandardOutput()).object()["findings"].toArray();
}

// The fixture gives GNOME's switch-to-workspace-last Ctrl+Alt+R.
TEST(DoctorOnGnome, ReportsTheExtensionItsShortcutsAndTheApplicationsItLists) {
    QString reason;
    const auto helper = GnomeShellHelper::connect(VANTREL_VERSION, reason);
    ASSERT_TRUE(helper) << qPrintable(reason);
    const WaylandProbe gtk = WaylandProbe::gtk(*helper);
    ASSERT_TRUE(gtk.waitForAccessible("Paint", "push button"));

    QStringList lines;
    QJsonObject probe;
    for (const QJsonValue finding : doctorFindings()) {
        if (finding["check"] == "application") {
            if (finding["application"]["pid"].toInteger() == gtk.pid())
                probe = finding.toObject();
            continue;
        }
        lines << finding["check"].toString() + " " + finding["verdict"].toString() + ": " +
                     finding["summary"].toString();
    }
    const QStringList expected{
        "session ok: GNOME on Wayland",
        "gnomeExtension ok: Vantrel's extension answers (version " VANTREL_VERSION ")",
        "accessibilityBus ok: up and switched on",
        "hotKey ok: Ctrl+Alt+C: free",
        "hotKey problem: Ctrl+Alt+R: held by org.gnome.desktop.wm.keybindings "
        "switch-to-workspace-last",
    };
    EXPECT_EQ(lines, expected) << qPrintable(lines.join('\n'));
    EXPECT_EQ(probe["verdict"], "ok");
    EXPECT_GT(probe["application"].toObject()["nodes"].toInt(), 1);
}

} // namespace
} // namespace vantrel::testing
