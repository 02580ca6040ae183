// The vantrel executable: the tray app without arguments, otherwise one command-line run.
#include "app/cli/CommandLineInterface.h"
#include "app/tray/TrayStart.h"
#include "platform/NotificationCenter.h"
#include "platform/SettingsUserDefaults.h"
#include "platform/linux/ProtocolStdio.h"
#include "platform/wayland/DesktopBackendChoice.h"
#include "ui/widgets/AreaSelectionOverlay.h"

#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

QtMessageHandler qtMessageHandler = nullptr;

// Whether an option is given, alone or as --name=value.
bool hasArgument(int argc, char** argv, const char* wanted) {
    const QByteArray name(wanted);
    for (int i = 2; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == name || argument.startsWith(name + '='))
            return true;
    }
    return false;
}

// A capture of the real desktop and the usage texts need no platform plugin and no fonts: they
// run on a QCoreApplication. The simulated desktop is painted, the overlay is a window.
bool drawsNothing(int argc, char** argv) {
    const QLatin1String command(argc >= 2 ? argv[1] : "");
    if (command == QLatin1String("capture"))
        return !hasArgument(argc, argv, "--scene") && !hasArgument(argc, argv, "--ask");
    return command == QLatin1String("help") || command == QLatin1String("--help") ||
           command == QLatin1String("--version");
}

// The overlay's windows go where the capture runs: GNOME's own outputs on Wayland, else the X
// server; none without either.
QByteArray overlayPlatformName() {
    using Backend = vantrel::DesktopBackendChoice::Backend;
    const Backend backend =
        vantrel::DesktopBackendChoice::choose(QProcessEnvironment::systemEnvironment());
    if (backend == Backend::gnomeWayland)
        return "wayland";
    return qEnvironmentVariableIsEmpty("DISPLAY") ? QByteArray() : QByteArray("xcb");
}

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
    if (argc == 1)
        return vantrel::TrayStart::run(argc, argv, QStringLiteral(VANTREL_VERSION),
                                       QStringLiteral(VANTREL_BUILD));
    // Before anything can print: the protocol owns the real stdout, everything else goes to
    // stderr.
    const bool protocolServer = argc >= 2 && QLatin1String(argv[1]) == QLatin1String("mcp");
    const int protocolOutput = protocolServer ? vantrel::ProtocolStdio::takeStdout() : -1;
    // Commands need no display: they paint the simulated desktop off screen. An agent's request
    // to let the user choose shows the overlay on the real desktop.
    // Without a display the running app may still take it (--via-app); else the command says so.
    const bool showsOverlay = argc >= 3 && QLatin1String(argv[1]) == QLatin1String("capture") &&
                              hasArgument(argc, argv, "--ask") &&
                              !hasArgument(argc, argv, "--scene");
    const QByteArray overlayPlatform = showsOverlay ? overlayPlatformName() : QByteArray();
    if (!overlayPlatform.isEmpty())
        qputenv("QT_QPA_PLATFORM", overlayPlatform);
    else if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qtMessageHandler = qInstallMessageHandler(dropRuntimeFolderNotices);
    const std::unique_ptr<QCoreApplication> app =
        drawsNothing(argc, argv) ? std::make_unique<QCoreApplication>(argc, argv)
                                 : std::make_unique<QGuiApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    vantrel::SettingsUserDefaults defaults;
    vantrel::NotificationCenter center;
    vantrel::CommandLineInterface cli(
        defaults, center, QStringLiteral(":/scenes/demo.json"),
        vantrel::CommandLineInterface::versionLine(QStringLiteral(VANTREL_VERSION),
                                                   QStringLiteral(VANTREL_BUILD)));
    // The MCP server names it; the GNOME Shell extension must be of the same.
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    if (protocolServer)
        cli.setProtocolOutput(protocolOutput);
    cli.setOverlayFactory(&vantrel::AreaSelectionOverlay::forRequest);
    return cli.run(arguments, out, err);
}
