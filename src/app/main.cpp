// The vantrel executable: the tray app without arguments, otherwise one command-line run.
#include "app/SettingsFileWatcher.h"
#include "app/SingleInstance.h"
#include "app/cli/CaptureCommand.h"
#include "app/cli/CommandLineInterface.h"
#include "app/tray/TrayApplication.h"
#include "platform/NotificationCenter.h"
#include "platform/SettingsUserDefaults.h"
#include "platform/SystemClock.h"
#include "platform/linux/FeedUpdater.h"
#include "platform/linux/LinuxDesktop.h"
#include "platform/linux/ProtocolStdio.h"
#include "platform/wayland/DesktopBackendChoice.h"
#include "platform/wayland/WaylandDesktop.h"
#include "ui/widgets/AreaSelectionOverlay.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <stop_token>

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

// The message, and where to read about and fetch a newer version.
QString updateText(const vantrel::UpdateCheckResult& result) {
    QString text = result.message;
    if (result.notesUrl.isValid())
        text += QStringLiteral("\n\nRelease notes: ") + result.notesUrl.toString();
    if (result.downloadUrl.isValid())
        text += QStringLiteral("\nDownload: ") + result.downloadUrl.toString();
    return text;
}

// The desktop's services, with our updater and what this build says about itself.
vantrel::Platform forTheApp(const vantrel::Platform& platform, vantrel::Updater& updater) {
    vantrel::AppIdentity identity = platform.identity;
    identity.version = QStringLiteral(VANTREL_VERSION);
    const QString build = QStringLiteral(VANTREL_BUILD);
    if (!build.isEmpty())
        identity.build = build;
    return {platform.accessibility, platform.windowServer, platform.screens,
            platform.screenCapture, platform.hotKeys,      platform.mouseMonitor,
            platform.workspace,     platform.loginItem,    updater,
            platform.pasteboard,    platform.vocabulary,   identity};
}

// The overlay an agent's request shows: the tray app's and the command line's alike.
std::unique_ptr<vantrel::RegionSelecting>
makeOverlay(const vantrel::Platform& platform, const vantrel::OverlayDesktop& desktop,
            const vantrel::RegionSelectionRequest& request) {
    using Backdrop = vantrel::AreaSelectionOverlay::Backdrop;
    auto overlay = std::make_unique<vantrel::AreaSelectionOverlay>(
        platform.screens, platform.screenCapture,
        desktop.translucentWindows ? Backdrop::Translucent : Backdrop::FrozenScreens,
        desktop.outputsOrigin);
    overlay->setRequest(request);
    return overlay;
}

// A capture handed to the running app by `vantrel capture --via-app`; a caller that goes away
// takes its overlay with it.
template <class Desktop>
QCoro::Task<> answerCapture(vantrel::CaptureCommand& captures, Desktop& desktop,
                            vantrel::SingleInstance::CaptureRequest request) {
    std::stop_source askerGone;
    if (request.peer)
        QObject::connect(request.peer.data(), &QLocalSocket::disconnected, request.peer.data(),
                         [askerGone]() mutable { askerGone.request_stop(); });
    const QByteArray reply =
        co_await captures.answerForApp(desktop, request.arguments, askerGone.get_token());
    request.answer(reply);
}

// The tray app on either desktop, from the settings to the event loop. With a shell (GNOME on
// Wayland) the menu and the toast are the shell's.
int runTray(QApplication& app, const vantrel::Platform& desktopPlatform,
            vantrel::SingleInstance& instance, vantrel::SettingsUserDefaults& defaults,
            vantrel::NotificationCenter& center, vantrel::RegionSelecting& regionSelection,
            vantrel::CompositorHelper* shell, const QString& desktopNotice, QTextStream& err) {
    vantrel::SystemClock clock;
    // The tray shows what a check found; the updater exists before it.
    vantrel::TrayApplication* dialogsOwner = nullptr;
    vantrel::FeedUpdater updater(defaults, clock, QStringLiteral(VANTREL_VERSION),
                                 [&dialogsOwner](const vantrel::UpdateCheckResult& result) {
                                     if (dialogsOwner)
                                         dialogsOwner->dialogs().showMessage(
                                             QStringLiteral("Software Update"), updateText(result));
                                 });
    const vantrel::Platform platform = forTheApp(desktopPlatform, updater);
    vantrel::TrayApplication tray(platform, defaults, center, clock, regionSelection, shell);
    dialogsOwner = &tray;
    instance.onActivationRequest([&tray] { tray.showSettings(); });
    // `vantrel settings` in a terminal changes the file under the running app.
    const vantrel::SettingsFileWatcher settingsWatcher(defaults, center);
    QObject::connect(&tray.delegate().statusMenu(), &vantrel::StatusMenuPresenter::quitRequested,
                     &app, &QCoreApplication::quit);
    QObject::connect(&app, &QGuiApplication::applicationStateChanged, &tray.delegate(),
                     [&tray](Qt::ApplicationState state) {
                         if (state == Qt::ApplicationActive)
                             tray.delegate().applicationDidBecomeActive();
                     });
    for (const QString& notice : tray.start(desktopNotice))
        err << "vantrel: " << notice << "\n";
    err.flush();
    const int status = app.exec();
    tray.shutdown();
    return status;
}

// The tray app on the X11 desktop (Xwayland's too), until it is quit. It also takes the captures
// `vantrel capture --via-app` hands it.
int runOnX11(QApplication& app, vantrel::SingleInstance& instance,
             vantrel::SettingsUserDefaults& defaults, vantrel::NotificationCenter& center,
             const QString& gnomeNotice, QTextStream& err) {
    QString reason;
    const auto desktop = vantrel::LinuxDesktop::open(
        {QCoreApplication::applicationFilePath(), vantrel::X11Pasteboard::Mirroring::everyChange},
        reason);
    if (!desktop) {
        err << "vantrel: " << reason << "\n";
        return 1;
    }
    using Backdrop = vantrel::AreaSelectionOverlay::Backdrop;
    vantrel::AreaSelectionOverlay regionSelection(
        desktop->platform().screens, desktop->platform().screenCapture,
        desktop->hasCompositor() ? Backdrop::Translucent : Backdrop::FrozenScreens);
    vantrel::CaptureCommand agentCaptures(defaults, center);
    agentCaptures.setOverlayFactory(makeOverlay);
    instance.onCaptureRequest(
        [&agentCaptures, &desktop](const vantrel::SingleInstance::CaptureRequest& request) {
            answerCapture(agentCaptures, *desktop, request);
        });
    return runTray(app, desktop->platform(), instance, defaults, center, regionSelection, nullptr,
                   gnomeNotice, err);
}

// The tray app on GNOME on Wayland, through Vantrel's extension: its shortcuts, its top-bar menu
// and its toast. It also takes the captures `vantrel capture --via-app` hands it.
int runOnGnome(QApplication& app, vantrel::SingleInstance& instance,
               vantrel::SettingsUserDefaults& defaults, vantrel::NotificationCenter& center,
               QTextStream& err) {
    QString reason;
    const auto desktop = vantrel::WaylandDesktop::open(
        QCoreApplication::applicationFilePath(), QStringLiteral(VANTREL_VERSION), reason,
        vantrel::WaylandDesktop::Clipboard::everyPayload);
    if (!desktop) {
        err << "vantrel: " << reason << "\n";
        return 1;
    }
    // The overlay dims the helper's pictures; the outputs' origin is asked at each selection,
    // since monitors come and go while the app runs.
    vantrel::AreaSelectionOverlay regionSelection(
        desktop->platform().screens, desktop->platform().screenCapture,
        vantrel::AreaSelectionOverlay::Backdrop::FrozenScreens,
        [&desktop] { return desktop->outputsOrigin(); });
    vantrel::CaptureCommand agentCaptures(defaults, center);
    agentCaptures.setOverlayFactory(makeOverlay);
    instance.onCaptureRequest(
        [&agentCaptures, &desktop](const vantrel::SingleInstance::CaptureRequest& request) {
            answerCapture(agentCaptures, *desktop, request);
        });
    return runTray(app, desktop->platform(), instance, defaults, center, regionSelection,
                   &desktop->helper(), {}, err);
}

int runTrayApp(int argc, char** argv) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    using Backend = vantrel::DesktopBackendChoice::Backend;
    // Asked before Qt starts, since Qt's platform follows the desktop's backend.
    const vantrel::DesktopBackendChoice::Decision decision = vantrel::DesktopBackendChoice::decide(
        QProcessEnvironment::systemEnvironment(), QStringLiteral(VANTREL_VERSION));
    // Without the extension there are no shortcuts on GNOME, so the app takes no portal path:
    // Xwayland's applications, if there is an X display.
    const Backend backend = decision.backend == Backend::gnomePortal
                                ? vantrel::DesktopBackendChoice::throughXwayland(
                                      QProcessEnvironment::systemEnvironment())
                                : decision.backend;
    if (backend == Backend::none) {
        err << "vantrel: the app needs an X11 desktop or GNOME on Wayland, and neither DISPLAY "
               "nor WAYLAND_DISPLAY is set.\n";
        return 1;
    }
    if (backend == Backend::unsupportedWayland) {
        if (!decision.notice.isEmpty())
            err << "vantrel: " << decision.notice << "\n";
        err << "vantrel: on this Wayland desktop the app needs Xwayland, and DISPLAY is not "
               "set.\n";
        return 1;
    }
    const bool gnome = backend == Backend::gnomeWayland;
    // Qt's windows go to the display the backend talks to, whatever platform commands use.
    qputenv("QT_QPA_PLATFORM", gnome ? "wayland" : "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    using Outcome = vantrel::SingleInstance::Claim::Outcome;
    const auto claim = vantrel::SingleInstance::claim(vantrel::SingleInstance::defaultFolder());
    if (claim.outcome == Outcome::alreadyRunning) {
        // Starting the app again is how a user without a tray reaches its settings.
        const bool shown =
            vantrel::SingleInstance::activateRunning(vantrel::SingleInstance::defaultFolder());
        out << claim.message << (shown ? " Its settings window is in front now." : "") << "\n";
        return 0;
    }
    if (claim.outcome == Outcome::failed) {
        err << "vantrel: " << claim.message << "\n";
        return 1;
    }
    vantrel::SettingsUserDefaults defaults;
    vantrel::NotificationCenter center;
    if (gnome)
        return runOnGnome(app, *claim.instance, defaults, center, err);
    // GNOME without its extension: Xwayland's applications only, and the user is told why.
    const QString notice =
        decision.notice.isEmpty()
            ? QString()
            : decision.notice + QStringLiteral(" Until then Vantrel captures only X11 applications "
                                               "(through Xwayland).");
    return runOnX11(app, *claim.instance, defaults, center, notice, err);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 1)
        return runTrayApp(argc, argv);
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
    cli.setOverlayFactory(makeOverlay);
    return cli.run(arguments, out, err);
}
