// The vantrel executable: one command-line run, or (later) the menu-bar app.
#include "app/cli/CommandLineInterface.h"
#include "platform/NotificationCenter.h"
#include "platform/SettingsUserDefaults.h"

#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    // Commands need no display: they paint the simulated desktop off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Vantrel"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty()) {
        err << "vantrel: the menu-bar app is not available in this build yet; use a command.\n"
            << vantrel::CommandLineInterface::usage();
        return 1;
    }
    vantrel::SettingsUserDefaults defaults;
    vantrel::NotificationCenter center;
    vantrel::CommandLineInterface cli(defaults, center, QStringLiteral(":/scenes/demo.json"));
    return cli.run(arguments, out, err);
}
