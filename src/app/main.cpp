// The vantrel executable: one command-line run, or (later) the menu-bar app.
#include "app/cli/CommandLineInterface.h"
#include "platform/NotificationCenter.h"
#include "platform/SettingsUserDefaults.h"
#include "platform/linux/ClipboardServer.h"

#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

namespace {

QtMessageHandler qtMessageHandler = nullptr;

// Painting the simulated desktop off screen makes Qt look for a runtime folder that a command
// never uses; its complaint would only clutter what scripts read on stderr.
void dropRuntimeFolderNotices(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")) ||
        message.startsWith(QLatin1String("QStandardPaths: wrong permissions on runtime")))
        return;
    if (qtMessageHandler)
        qtMessageHandler(type, context, message);
    else
        std::fputs(qPrintable(qFormatLogMessage(type, context, message) + u'\n'), stderr);
}

} // namespace

int main(int argc, char** argv) {
    // A clipboard server left behind by a command: it must reach the X server, whatever the
    // command ran on.
    if (argc == 3 && vantrel::ClipboardServer::argument == QLatin1String(argv[1])) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        QGuiApplication app(argc, argv);
        return vantrel::ClipboardServer::serve(QString::fromLocal8Bit(argv[2]));
    }
    // Commands need no display: they paint the simulated desktop off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qtMessageHandler = qInstallMessageHandler(dropRuntimeFolderNotices);
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
