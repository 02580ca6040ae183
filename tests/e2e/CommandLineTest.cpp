#include "app/cli/CommandLineInterface.h"
#include "support/VantrelProcess.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

// Asked-for text goes to stdout with 0; a mistake gets the usage on stderr and 2, for scripts.
TEST(CommandLine, HelpVersionAndMistakesUseTheRightStreamAndExitCode) {
    VantrelProcess vantrel;
    const QString usage = CommandLineInterface::usage();
    const QString version = "^vantrel " + QRegularExpression::escape(VANTREL_VERSION) +
                            "( \\(build [0-9a-f]{7,}\\))?\n$";
    const struct {
        QStringList arguments;
        int exitCode;
        QString out; // a pattern
        QString err;
    } cases[] = {
        {{"help"}, 0, "^" + QRegularExpression::escape(usage) + "$", "^$"},
        {{"--help"}, 0, "^" + QRegularExpression::escape(usage) + "$", "^$"},
        {{"--version"}, 0, version, "^$"},
        {{"--version", "x"},
         2,
         "^$",
         "^vantrel: unexpected argument \"x\"\n" + QRegularExpression::escape(usage) + "$"},
        {{"-v"}, 2, "^$", "^vantrel: unknown command \"-v\"\n" + QRegularExpression::escape(usage)},
        {{"mcp", "--scene", "/nonexistent/scene.json"},
         2,
         "^$",
         "^vantrel mcp: cannot read the scene file /nonexistent/scene.json\n$"},
        {{"mcp", "--stdio"}, 2, "^$", "^usage: vantrel mcp \\[--scene FILE\\]\n$"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const auto result = vantrel.run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_TRUE(QRegularExpression(c.out).match(result.out).hasMatch())
            << result.out.toStdString();
        EXPECT_TRUE(QRegularExpression(c.err).match(result.err).hasMatch())
            << result.err.toStdString();
    }
    EXPECT_TRUE(usage.contains("--version"));
    EXPECT_EQ(CommandLineInterface::versionLine("1.2.3", ""), "vantrel 1.2.3\n");
}

// Where there is no display or bus to ask, the doctor says so with a fix and exits 1 at once.
TEST(CommandLine, DoctorWithoutADisplayOrABusNamesEachWithItsFix) {
    VantrelProcess vantrel;
    const QString noBus = "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent ";
    const struct {
        QString environment;
        QStringList problems; // the checks that fail, in order
        QString summaryPart;
    } cases[] = {
        {"env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE " + noBus,
         {"session", "accessibilityBus"},
         "no graphical session"},
        {"env -u DISPLAY -u XDG_CURRENT_DESKTOP WAYLAND_DISPLAY=wayland-9 " + noBus,
         {"session", "accessibilityBus"},
         "Wayland without Xwayland"},
        // On GNOME the extension is asked, and the portal's permission store for want of it, on
        // the same missing bus; Xwayland's display is no concern there.
        {"env XDG_CURRENT_DESKTOP=GNOME WAYLAND_DISPLAY=wayland-9 DISPLAY=:9876 " + noBus,
         {"gnomeExtension", "screenshotPortal", "accessibilityBus"},
         "Vantrel's extension does not answer"},
        {"env -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE DISPLAY=:9876 " + noBus,
         {"display", "accessibilityBus"},
         "cannot open the display"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.environment.toStdString());
        const auto result = vantrel.runScript(c.environment + " \"$VANTREL\" doctor --json");
        EXPECT_EQ(result.exitCode, 1);
        QStringList problems;
        QString summaries;
        for (const QJsonValue& finding : result.json()["findings"].toArray()) {
            if (finding["verdict"].toString() == "problem")
                problems << finding["check"].toString();
            if (!finding["fix"].toString().isEmpty())
                summaries += finding["summary"].toString() + '\n';
        }
        EXPECT_EQ(problems, c.problems) << result.out.toStdString();
        EXPECT_TRUE(summaries.contains(c.summaryPart)) << result.out.toStdString();
    }
    // The plain report marks each problem and ends with how many there are.
    const auto plain = vantrel.runScript(cases[0].environment + " \"$VANTREL\" doctor");
    EXPECT_TRUE(plain.out.startsWith("✗ Session — ")) << plain.out.toStdString();
    EXPECT_TRUE(plain.out.contains("\n✗ Accessibility bus — ")) << plain.out.toStdString();
    EXPECT_TRUE(plain.out.endsWith("\n2 problems to fix.\n")) << plain.out.toStdString();
    EXPECT_EQ(vantrel.run({"doctor", "--verbose"}).exitCode, 2);
}
