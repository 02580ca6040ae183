#include "app/cli/CommandLineInterface.h"
#include "support/VantrelProcess.h"

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
