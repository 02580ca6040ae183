#include "TrayStart.h"

#include "TrayApplication.h"
#include "app/SettingsFileWatcher.h"
#include "app/SingleInstance.h"
#include "platform/SystemClock.h"
#include "platform/linux/FeedUpdater.h"
#include "platform/linux/LinuxDesktop.h"
#include "platform/wayland/DesktopBackendChoice.h"
#include "platform/wayland/WaylandDesktop.h"
#include "ui/widgets/AreaSelectionOverlay.h"

#include <QApplication>
#include <QLocalSocket>

#include <stop_token>

namespace vantrel {

namespace {

// The message, and where to read about and fetch a newer version.
QString updateText(const UpdateCheckResult& result) {
    QString text = result.message;
    if (result.notesUrl.isValid())
        text += QStringLiteral("\n\nRelease notes: ") + result.notesUrl.toString();
    if (result.downloadUrl.isValid())
        text += QStringLiteral("\nDownload: ") + result.downloadUrl.toString();
    return text;
}

// A capture handed to the running app by `vantrel capture --via-app`; a caller that goes away
// takes its overlay with it.
template <class Desktop>
QCoro::Task<> answerCapture(CaptureCommand& captures, Desktop& desktop,
                            SingleInstance::CaptureRequest request) {
    std::stop_source askerGone;
    if (request.peer)
        QObject::connect(request.peer.data(), &QLocalSocket::disconnected, request.peer.data(),
                         [askerGone]() mutable { askerGone.request_stop(); });
    const QByteArray reply =
        co_await captures.answerForApp(desktop, request.arguments, askerGone.get_token());
    request.answer(reply);
}

} // namespace

TrayStart::TrayStart(QApplication& app, SingleInstance& instance, QString version, QString build)
    : m_app(app), m_instance(instance), m_version(std::move(version)), m_build(std::move(build)) {}

Platform TrayStart::forTheApp(const Platform& platform, Updater& updater) const {
    AppIdentity identity = platform.identity;
    identity.version = m_version;
    if (!m_build.isEmpty())
        identity.build = m_build;
    return {platform.accessibility, platform.windowServer, platform.screens,
            platform.screenCapture, platform.hotKeys,      platform.mouseMonitor,
            platform.workspace,     platform.loginItem,    updater,
            platform.pasteboard,    platform.vocabulary,   identity};
}

template <class Desktop> void TrayStart::takeAgentCaptures(Desktop& desktop) {
    m_agentCaptures.setOverlayFactory(&AreaSelectionOverlay::forRequest);
    m_instance.onCaptureRequest([this, &desktop](const SingleInstance::CaptureRequest& request) {
        answerCapture(m_agentCaptures, desktop, request);
    });
}

int TrayStart::runTray(const Platform& desktopPlatform, RegionSelecting& regionSelection,
                       CompositorHelper* shell, const QString& desktopNotice) {
    SystemClock clock;
    // The tray shows what a check found; the updater exists before it.
    TrayApplication* dialogsOwner = nullptr;
    FeedUpdater updater(m_defaults, clock, m_version,
                        [&dialogsOwner](const UpdateCheckResult& result) {
                            if (dialogsOwner)
                                dialogsOwner->dialogs().showMessage(
                                    QStringLiteral("Software Update"), updateText(result));
                        });
    const Platform platform = forTheApp(desktopPlatform, updater);
    TrayApplication tray(platform, m_defaults, m_center, clock, regionSelection, shell);
    dialogsOwner = &tray;
    m_instance.onActivationRequest([&tray] { tray.showSettings(); });
    // `vantrel settings` in a terminal changes the file under the running app.
    const SettingsFileWatcher settingsWatcher(m_defaults, m_center);
    QObject::connect(&tray.delegate().statusMenu(), &StatusMenuPresenter::quitRequested, &m_app,
                     &QCoreApplication::quit);
    QObject::connect(&m_app, &QGuiApplication::applicationStateChanged, &tray.delegate(),
                     [&tray](Qt::ApplicationState state) {
                         if (state == Qt::ApplicationActive)
                             tray.delegate().applicationDidBecomeActive();
                     });
    for (const QString& notice : tray.start(desktopNotice))
        m_err << "vantrel: " << notice << "\n";
    m_err.flush();
    const int status = m_app.exec();
    tray.shutdown();
    return status;
}

// The X11 desktop (Xwayland's too).
int TrayStart::runOnX11(const QString& gnomeNotice) {
    QString reason;
    const auto desktop = LinuxDesktop::open(
        {QCoreApplication::applicationFilePath(), X11Pasteboard::Mirroring::everyChange}, reason);
    if (!desktop) {
        m_err << "vantrel: " << reason << "\n";
        return 1;
    }
    using Backdrop = AreaSelectionOverlay::Backdrop;
    AreaSelectionOverlay regionSelection(
        desktop->platform().screens, desktop->platform().screenCapture,
        desktop->hasCompositor() ? Backdrop::Translucent : Backdrop::FrozenScreens);
    takeAgentCaptures(*desktop);
    return runTray(desktop->platform(), regionSelection, nullptr, gnomeNotice);
}

// GNOME on Wayland, through Vantrel's extension: its shortcuts, its top-bar menu and its toast.
int TrayStart::runOnGnome() {
    QString reason;
    const auto desktop = WaylandDesktop::open(QCoreApplication::applicationFilePath(), m_version,
                                              reason, WaylandDesktop::Clipboard::everyPayload);
    if (!desktop) {
        m_err << "vantrel: " << reason << "\n";
        return 1;
    }
    // The overlay dims the helper's pictures; the outputs' origin is asked at each selection,
    // since monitors come and go while the app runs.
    AreaSelectionOverlay regionSelection(desktop->platform().screens,
                                         desktop->platform().screenCapture,
                                         AreaSelectionOverlay::Backdrop::FrozenScreens,
                                         [&desktop] { return desktop->outputsOrigin(); });
    takeAgentCaptures(*desktop);
    return runTray(desktop->platform(), regionSelection, &desktop->helper(), {});
}

int TrayStart::run(int argc, char** argv, const QString& version, const QString& build) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    using Backend = DesktopBackendChoice::Backend;
    // Asked before Qt starts, since Qt's platform follows the desktop's backend.
    const DesktopBackendChoice::Decision decision =
        DesktopBackendChoice::decide(QProcessEnvironment::systemEnvironment(), version);
    // Without the extension there are no shortcuts on GNOME, so the app takes no portal path:
    // Xwayland's applications, if there is an X display.
    const Backend backend =
        decision.backend == Backend::gnomePortal
            ? DesktopBackendChoice::throughXwayland(QProcessEnvironment::systemEnvironment())
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
    QApplication::setApplicationVersion(version);
    QApplication::setQuitOnLastWindowClosed(false);

    using Outcome = SingleInstance::Claim::Outcome;
    const auto claim = SingleInstance::claim(SingleInstance::defaultFolder());
    if (claim.outcome == Outcome::alreadyRunning) {
        // Starting the app again is how a user without a tray reaches its settings.
        const bool shown = SingleInstance::activateRunning(SingleInstance::defaultFolder());
        out << claim.message << (shown ? " Its settings window is in front now." : "") << "\n";
        return 0;
    }
    if (claim.outcome == Outcome::failed) {
        err << "vantrel: " << claim.message << "\n";
        return 1;
    }
    TrayStart start(app, *claim.instance, version, build);
    if (gnome)
        return start.runOnGnome();
    // GNOME without its extension: Xwayland's applications only, and the user is told why.
    const QString notice =
        decision.notice.isEmpty()
            ? QString()
            : decision.notice + QStringLiteral(" Until then Vantrel captures only X11 applications "
                                               "(through Xwayland).");
    return start.runOnX11(notice);
}

} // namespace vantrel
