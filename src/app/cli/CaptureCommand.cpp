#include "CaptureCommand.h"

#include "CaptureReport.h"
#include "CaptureSession.h"
#include "OverridingUserDefaults.h"
#include "app/SingleInstance.h"
#include "output/CaptureModeSettings.h"
#include "platform/SystemClock.h"
#include "platform/linux/LinuxDesktop.h"
#include "platform/sim/SceneError.h"
#include "platform/sim/SimDesktop.h"
#include "platform/wayland/DesktopBackendChoice.h"
#include "platform/wayland/PortalDesktop.h"
#include "platform/wayland/WaylandDesktop.h"
#include "screen/CaptureCoordinates.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace vantrel {

namespace {

// The reason when the file could not be written whole.
std::optional<QString> writePasteboard(const QString& path, const QJsonArray& pasteboard) {
    QSaveFile file(path);
    const QByteArray bytes = QJsonDocument(pasteboard).toJson(QJsonDocument::Indented);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() &&
        file.commit())
        return std::nullopt;
    return file.errorString();
}

// What the overlay's windows must know of each desktop.
OverlayDesktop overlayDesktop(const LinuxDesktop& desktop) {
    return {desktop.hasCompositor(), {}};
}
// The overlay dims the helper's picture of each monitor, as X11 without a compositor does.
OverlayDesktop overlayDesktop(WaylandDesktop& desktop) {
    return {false, [&desktop] { return desktop.outputsOrigin(); }};
}

} // namespace

CaptureCommand::CaptureCommand(UserDefaults& defaults, NotificationCenter& center)
    : m_defaults(defaults), m_center(center) {}

int CaptureCommand::run(const CaptureOptions& options, QTextStream& out, QTextStream& err) {
    if (options.viaApp) {
        if (const std::optional<int> exitCode = handToApp(options, out, err))
            return *exitCode;
    }
    if (options.ask && (options.scenePath || !m_overlayFactory)) {
        err << "vantrel capture: --ask needs the real desktop to show the area selection overlay "
               "on\n";
        return 1;
    }
    if (options.scenePath)
        return runOnScene(*options.scenePath, options, out, err);
    return runOnDesktop(options, out, err);
}

int CaptureCommand::runOnScene(const QString& scenePath, const CaptureOptions& options,
                               QTextStream& out, QTextStream& err) {
    std::unique_ptr<SimDesktop> desktop;
    try {
        desktop = SimDesktop::fromFile(scenePath);
    } catch (const SceneError& error) {
        err << error.message() << "\n";
        return 2;
    }
    const CaptureReport report = QCoro::waitFor(capture(*desktop, options));
    return this->report(report, options, std::nullopt, out, err);
}

int CaptureCommand::runOnDesktop(const CaptureOptions& options, QTextStream& out,
                                 QTextStream& err) {
    using Backend = DesktopBackendChoice::Backend;
    const DesktopBackendChoice::Decision decision = DesktopBackendChoice::decide(
        QProcessEnvironment::systemEnvironment(), QCoreApplication::applicationVersion());
    if (!decision.notice.isEmpty())
        err << "vantrel capture: " << decision.notice << "\n";
    Backend backend = decision.backend;
    if (backend == Backend::gnomeWayland) {
        QString reason;
        const auto desktop = WaylandDesktop::open(QCoreApplication::applicationFilePath(),
                                                  QCoreApplication::applicationVersion(), reason);
        if (desktop)
            return runOnGnome(*desktop, options, out, err);
        err << "vantrel capture: " << reason << "\n";
        backend = DesktopBackendChoice::withoutHelper(backend);
    }
    if (backend == Backend::gnomePortal)
        return runOnPortal(options, out, err);
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        err << (wayland ? "vantrel capture: this Wayland session has no X11 (Xwayland) display; "
                          "Vantrel captures X11 applications only for now\n"
                        : "vantrel capture: no display to capture (DISPLAY is not set); pass "
                          "--scene FILE to capture a simulated desktop\n");
        return 1;
    }
    if (wayland)
        err << "vantrel capture: on Wayland only X11 applications (running through Xwayland) "
               "can be captured\n";
    QString reason;
    const auto desktop = LinuxDesktop::open({QCoreApplication::applicationFilePath()}, reason);
    if (!desktop) {
        err << "vantrel capture: " << reason << "\n";
        return 1;
    }
    // The server's start-up overlaps the capture; a failed capture stops it again.
    if (!options.noClipboard)
        desktop->prepareClipboardHandOff();
    std::unique_ptr<RegionSelecting> overlay;
    if (options.ask)
        overlay = m_overlayFactory(desktop->platform(), overlayDesktop(*desktop),
                                   {*options.ask, options.pickWindow});
    const CaptureReport report = QCoro::waitFor(capture(*desktop, options, overlay.get()));
    // A payload that cannot outlive the command is a capture the user cannot paste.
    const std::optional<QString> clipboardError =
        report.ok && !options.noClipboard ? desktop->handOffClipboard() : std::nullopt;
    return this->report(report, options, clipboardError, out, err);
}

int CaptureCommand::runOnGnome(WaylandDesktop& desktop, const CaptureOptions& options,
                               QTextStream& out, QTextStream& err) {
    // As on X11: the server's start-up overlaps the capture.
    if (!options.noClipboard)
        desktop.prepareClipboardHandOff();
    std::unique_ptr<RegionSelecting> overlay;
    if (options.ask)
        overlay = m_overlayFactory(desktop.platform(), overlayDesktop(desktop),
                                   {*options.ask, options.pickWindow});
    const CaptureReport report = QCoro::waitFor(capture(desktop, options, overlay.get()));
    const std::optional<QString> clipboardError =
        report.ok && !options.noClipboard ? desktop.handOffClipboard() : std::nullopt;
    return this->report(report, options, clipboardError, out, err);
}

int CaptureCommand::runOnPortal(const CaptureOptions& options, QTextStream& out, QTextStream& err) {
    const char* needsPlace = options.at       ? "--at"
                             : options.region ? "--region"
                             : options.ask    ? "--ask"
                                              : nullptr;
    if (needsPlace) {
        err << "vantrel capture: " << needsPlace
            << " needs Vantrel's GNOME Shell extension: without it GNOME tells no program where "
               "the pointer and the windows are\n";
        return 1;
    }
    err << "vantrel capture: capturing the front window and a picture of the whole desktop "
           "through GNOME's Screenshot portal; the window's elements have frames relative to "
           "the window\n";
    PortalDesktop desktop(QCoreApplication::applicationFilePath());
    if (!options.noClipboard)
        desktop.prepareClipboardHandOff();
    // No pointer to capture under: the front window, as the menu's Copy Window takes it.
    CaptureOptions frontWindow = options;
    frontWindow.frontWindow = true;
    const CaptureReport report = QCoro::waitFor(capture(desktop, frontWindow));
    const std::optional<QString> clipboardError =
        report.ok && !options.noClipboard ? desktop.handOffClipboard() : std::nullopt;
    return this->report(report, options, clipboardError, out, err);
}

std::optional<int> CaptureCommand::handToApp(const CaptureOptions& options, QTextStream& out,
                                             QTextStream& err) {
    const QString folder = SingleInstance::defaultFolder();
    if (!SingleInstance::runningPid(folder))
        return std::nullopt;
    // An app that does not take captures (an older one) hangs up without a word: capture here.
    const std::optional<QByteArray> reply =
        SingleInstance::requestCapture(folder, options.arguments);
    if (!reply)
        return std::nullopt;
    const QJsonObject answer = QJsonDocument::fromJson(*reply).object();
    if (!answer.value("exitCode").isDouble()) {
        // It may have captured already; capturing again here could make two folders.
        err << "vantrel capture: the running app's answer could not be read\n";
        return 1;
    }
    out << answer.value("out").toString();
    err << answer.value("err").toString();
    return answer.value("exitCode").toInt();
}

template <class Desktop>
QCoro::Task<QByteArray> CaptureCommand::answerForApp(Desktop& desktop, QStringList arguments,
                                                     std::stop_token askerGone) {
    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    const int exitCode = co_await runInApp(desktop, arguments, askerGone, out, err);
    out.flush();
    err.flush();
    co_return QJsonDocument(QJsonObject{{"exitCode", exitCode}, {"out", outText}, {"err", errText}})
        .toJson(QJsonDocument::Compact);
}

template <class Desktop>
QCoro::Task<int> CaptureCommand::runInApp(Desktop& desktop, const QStringList& arguments,
                                          std::stop_token askerGone, QTextStream& out,
                                          QTextStream& err) {
    const auto parsed = CaptureOptions::parse(arguments);
    if (const auto* message = std::get_if<QString>(&parsed)) {
        err << *message << "\n" << CaptureOptions::usage();
        co_return 2;
    }
    const CaptureOptions& options = std::get<CaptureOptions>(parsed);
    if (options.scenePath || options.pasteboardOut) {
        err << "vantrel capture: the running app captures its own desktop only\n";
        co_return 2;
    }
    std::unique_ptr<RegionSelecting> overlay;
    if (options.ask && m_overlayFactory)
        overlay = m_overlayFactory(desktop.platform(), overlayDesktop(desktop),
                                   {*options.ask, options.pickWindow});
    // Nobody is left to answer for; the overlay must not wait for the user.
    const std::stop_callback<std::function<void()>> closeOverlay(askerGone, [&overlay] {
        if (overlay)
            overlay->cancel();
    });
    // The app owns the clipboard itself: nothing to hand off.
    const CaptureReport report = co_await capture(desktop, options, overlay.get());
    co_return this->report(report, options, std::nullopt, out, err);
}

template <class Desktop>
QCoro::Task<CaptureReport> CaptureCommand::capture(Desktop& desktop, const CaptureOptions& options,
                                                   RegionSelecting* overlay) {
    OverridingUserDefaults defaults(m_defaults);
    if (options.mode)
        defaults.overrideString(CaptureModeSettings::defaultsKey, rawValue(*options.mode));
    SystemClock clock;
    const ScreenList& screens = desktop.platform().screens;
    // Top-left rectangles convert with the same formula, which is its own inverse.
    std::optional<QRectF> region = options.region;
    if (region && options.topLeft)
        region = CaptureCoordinates::topLeftRect(screens, *region);
    std::optional<QPointF> at = options.at;
    if (at && options.topLeft)
        at = CaptureCoordinates::topLeftPoint(screens, *at);
    // Picking a window: the user's click is the capture point, as --at gives it.
    const bool pickWindow = overlay && options.pickWindow;
    if (pickWindow) {
        const std::optional<QRectF> picked = co_await overlay->selectRegion();
        if (!picked) {
            CaptureReport report;
            report.cancelled = true;
            report.status = QStringLiteral("Cancelled");
            m_lastReport = report;
            co_return report;
        }
        at = picked->center();
    }
    CaptureChoices choices;
    choices.leaveClipboard = options.noClipboard;
    choices.regionSelection = pickWindow ? nullptr : overlay;
    CaptureSession session(desktop.platform(), defaults, m_center, clock, region, choices);
    if (at)
        desktop.moveMouse(*at);

    const bool fromMenu = options.frontWindow;
    const bool useRegion = region.has_value() || (overlay && !pickWindow);
    const std::optional<CaptureOutcome> outcome =
        co_await session.runner().performCopy(fromMenu, useRegion);

    CaptureReport report;
    report.ok = outcome && outcome->isSuccess();
    report.status = session.statusLine().text();
    report.statusFollowUp = session.statusLine().followUp();
    report.toast = session.toast().lastText();
    if (outcome && !outcome->isSuccess())
        report.error = localizedDescription(outcome->error());
    report.bundle = report.ok ? session.lastBundle() : std::nullopt;
    report.pasteboard = desktop.pasteboard().dump();
    report.openedURLs = desktop.openedURLs();
    report.cancelled = !outcome.has_value();
    m_lastReport = report;
    co_return report;
}

// The capture has happened whether or not the pasteboard file can be written, so the report
// still goes out in full; a failed file only turns the exit code into a failure.
int CaptureCommand::report(const CaptureReport& report, const CaptureOptions& options,
                           const std::optional<QString>& clipboardError, QTextStream& out,
                           QTextStream& err) {
    std::optional<QString> pasteboardOutError;
    if (options.pasteboardOut)
        pasteboardOutError = writePasteboard(*options.pasteboardOut, report.pasteboard);
    if (pasteboardOutError)
        err << "vantrel capture: could not write the pasteboard to " << *options.pasteboardOut
            << ": " << *pasteboardOutError << "\n";
    if (clipboardError)
        err << "vantrel capture: the payload could not be left on the clipboard: "
            << *clipboardError << "\n";
    if (options.json) {
        QJsonObject object = report.toJson();
        // Only a run that let the user choose can be cancelled; other reports stay as they were.
        if (options.ask)
            object.insert(QStringLiteral("cancelled"), report.cancelled);
        if (clipboardError)
            object.insert(QStringLiteral("clipboardError"), *clipboardError);
        if (options.pasteboardOut)
            object.insert(QStringLiteral("pasteboardOutError"),
                          pasteboardOutError ? QJsonValue(*pasteboardOutError) : QJsonValue());
        out << QJsonDocument(object).toJson(QJsonDocument::Indented);
    } else if (report.ok) {
        out << report.status << "\n";
        if (!report.statusFollowUp.isEmpty())
            out << report.statusFollowUp << "\n";
    } else {
        err << (report.error ? *report.error : report.status) << "\n";
    }
    return report.ok && !pasteboardOutError && !clipboardError ? 0 : 1;
}

// The running app's two desktops.
template QCoro::Task<QByteArray> CaptureCommand::answerForApp(LinuxDesktop&, QStringList,
                                                              std::stop_token);
template QCoro::Task<QByteArray> CaptureCommand::answerForApp(WaylandDesktop&, QStringList,
                                                              std::stop_token);

} // namespace vantrel
