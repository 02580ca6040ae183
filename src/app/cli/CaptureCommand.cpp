#include "CaptureCommand.h"

#include "CaptureReport.h"
#include "CaptureSession.h"
#include "OverridingUserDefaults.h"
#include "output/CaptureModeSettings.h"
#include "platform/SystemClock.h"
#include "platform/sim/SceneError.h"
#include "platform/sim/SimDesktop.h"

#include <QCoro/QCoroTask>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace vantrel {

namespace {

QCoro::Task<std::optional<std::optional<CaptureOutcome>>> perform(AppDelegate& delegate,
                                                                  bool fromMenu, bool useRegion) {
    co_return co_await delegate.performCopy(fromMenu, useRegion);
}

std::optional<CaptureOutcome> runToEnd(AppDelegate& delegate, bool fromMenu, bool useRegion) {
    return *QCoro::waitFor(perform(delegate, fromMenu, useRegion));
}

// The reason when the file could not be written whole.
std::optional<QString> writePasteboard(const QString& path, const QJsonArray& pasteboard) {
    QSaveFile file(path);
    const QByteArray bytes = QJsonDocument(pasteboard).toJson(QJsonDocument::Indented);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() &&
        file.commit())
        return std::nullopt;
    return file.errorString();
}

} // namespace

CaptureCommand::CaptureCommand(UserDefaults& defaults, NotificationCenter& center)
    : m_defaults(defaults), m_center(center) {}

int CaptureCommand::run(const CaptureOptions& options, QTextStream& out, QTextStream& err) {
    if (!options.scenePath) {
        err << "vantrel capture: this system has no desktop backend yet; pass --scene FILE to "
               "capture a simulated desktop\n";
        return 1;
    }
    std::unique_ptr<SimDesktop> desktop;
    try {
        desktop = SimDesktop::fromFile(*options.scenePath);
    } catch (const SceneError& error) {
        err << error.message() << "\n";
        return 2;
    }

    OverridingUserDefaults defaults(m_defaults);
    if (options.mode)
        defaults.overrideString(CaptureModeSettings::defaultsKey, rawValue(*options.mode));
    SystemClock clock;
    CaptureSession session(desktop->platform(), defaults, m_center, clock, options.region);
    if (options.at)
        desktop->moveMouse(*options.at);

    const bool fromMenu = options.frontWindow;
    const bool useRegion = options.region.has_value();
    const std::optional<CaptureOutcome> outcome = runToEnd(session.delegate(), fromMenu, useRegion);

    CaptureReport report;
    report.ok = outcome && outcome->isSuccess();
    report.status = session.delegate().lastStatus();
    report.toast = session.toast().lastText();
    if (outcome && !outcome->isSuccess())
        report.error = localizedDescription(outcome->error());
    report.bundle = report.ok ? session.lastBundle() : std::nullopt;
    report.pasteboard = desktop->pasteboard().dump();
    report.openedURLs = desktop->openedURLs();
    m_lastReport = report;
    return this->report(report, options, out, err);
}

// The capture has happened whether or not the pasteboard file can be written, so the report
// still goes out in full; a failed file only turns the exit code into a failure.
int CaptureCommand::report(const CaptureReport& report, const CaptureOptions& options,
                           QTextStream& out, QTextStream& err) {
    std::optional<QString> pasteboardOutError;
    if (options.pasteboardOut)
        pasteboardOutError = writePasteboard(*options.pasteboardOut, report.pasteboard);
    if (pasteboardOutError)
        err << "vantrel capture: could not write the pasteboard to " << *options.pasteboardOut
            << ": " << *pasteboardOutError << "\n";
    if (options.json) {
        QJsonObject object = report.toJson();
        if (options.pasteboardOut)
            object.insert(QStringLiteral("pasteboardOutError"),
                          pasteboardOutError ? QJsonValue(*pasteboardOutError) : QJsonValue());
        out << QJsonDocument(object).toJson(QJsonDocument::Indented);
    } else if (report.ok) {
        out << report.status << "\n";
    } else {
        err << (report.error ? *report.error : report.status) << "\n";
    }
    return report.ok && !pasteboardOutError ? 0 : 1;
}

} // namespace vantrel
