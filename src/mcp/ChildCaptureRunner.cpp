#include "ChildCaptureRunner.h"

#include "platform/Clock.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>

#include <chrono>

#include <algorithm>

namespace vantrel {

namespace {

QString coordinates(const QRectF& rect) {
    return QStringLiteral("%1,%2,%3,%4")
        .arg(rect.x(), 0, 'g', 10)
        .arg(rect.y(), 0, 'g', 10)
        .arg(rect.width(), 0, 'g', 10)
        .arg(rect.height(), 0, 'g', 10);
}

QString lastLine(const QByteArray& text) {
    const QStringList lines = QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last().trimmed();
}

} // namespace

ChildCaptureRunner::ChildCaptureRunner(Options options, Clock& clock, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_clock(clock) {}

ChildCaptureRunner::~ChildCaptureRunner() {
    for (auto it = m_runs.begin(); it != m_runs.end(); ++it) {
        // A sleeping deadline would otherwise wake into a runner that is gone.
        it->timers.request_stop();
        if (!it->process)
            continue;
        it->process->disconnect(this);
        it->process->kill();
        it->process->waitForFinished(2000);
        delete it->process;
    }
}

QString ChildCaptureRunner::noDisplayMessage(const QString& why) {
    return QStringLiteral("The desktop cannot be reached (%1). Forward ").arg(why) +
           QStringLiteral("DISPLAY, XAUTHORITY and DBUS_SESSION_BUS_ADDRESS to `vantrel mcp` and "
                          "restart the agent "
                          "(Claude Code: claude mcp add vantrel -e DISPLAY=\"$DISPLAY\" -e "
                          "XAUTHORITY=\"$XAUTHORITY\" -e "
                          "DBUS_SESSION_BUS_ADDRESS=\"$DBUS_SESSION_BUS_ADDRESS\" -- "
                          "vantrel mcp; Codex CLI: env_vars = [\"DISPLAY\", \"XAUTHORITY\", "
                          "\"DBUS_SESSION_BUS_ADDRESS\"] under [mcp_servers.vantrel]; Gemini CLI "
                          "and Cursor: an "
                          "\"env\" object with the three variables in the server's entry).");
}

QStringList ChildCaptureRunner::arguments(const Request& request) const {
    QStringList arguments{QStringLiteral("capture"), QStringLiteral("--mode"),
                          QStringLiteral("bundle"), QStringLiteral("--json")};
    if (m_options.scenePath)
        arguments << QStringLiteral("--scene") << *m_options.scenePath;
    if (!request.copyToClipboard)
        arguments << QStringLiteral("--no-clipboard");
    // The running tray app has the display, the session bus and the overlay.
    if (!m_options.scenePath)
        arguments << QStringLiteral("--via-app");
    using Kind = Request::Kind;
    switch (request.kind) {
    case Kind::underPointer:
        break;
    case Kind::frontWindow:
        arguments << QStringLiteral("--front-window");
        break;
    case Kind::area:
        arguments << QStringLiteral("--top-left") << QStringLiteral("--region")
                  << coordinates(request.area);
        break;
    case Kind::askUser:
        // One argument, so a prompt that looks like an option stays a prompt.
        arguments << QStringLiteral("--ask=") + request.prompt;
        if (request.pickWindow)
            arguments << QStringLiteral("--pick-window");
        break;
    }
    return arguments;
}

quint64 ChildCaptureRunner::start(const Request& request, Waiting waiting, Done done) {
    const quint64 capture = ++m_last;
    Run run;
    run.done = std::move(done);
    run.askUser = request.kind == Request::Kind::askUser;
    QString refusal;
    // Without DISPLAY the running tray app may still capture; the child says when it cannot.
    if (m_options.scenePath && run.askUser)
        refusal = QStringLiteral("This server captures a simulated desktop (--scene), where "
                                 "nobody can answer the overlay; use capture_window or "
                                 "capture_area instead.");
    else if (run.askUser && std::any_of(m_runs.cbegin(), m_runs.cend(), [](const Run& other) {
                 return other.process && other.askUser;
             }))
        refusal = QStringLiteral("The user is already being asked to capture something; wait "
                                 "for that answer before asking again.");
    else if (std::count_if(m_runs.cbegin(), m_runs.cend(), [](const Run& other) {
                 return other.process != nullptr;
             }) >= maxRunningCaptures)
        refusal = QStringLiteral("%1 captures are already running; wait for one to finish, "
                                 "then try again.")
                      .arg(maxRunningCaptures);
    if (!refusal.isEmpty()) {
        // Answered from the loop, as every other outcome is.
        m_runs.insert(capture, run);
        QTimer::singleShot(0, this, [this, capture, refusal] {
            finish(capture, {Outcome::Status::failed, {}, refusal});
        });
        return capture;
    }
    run.process = new QProcess(this);
    run.process->setProcessEnvironment(m_options.environment);
    run.process->setProgram(m_options.program);
    run.process->setArguments(arguments(request));
    connect(run.process, &QProcess::finished, this, [this, capture, request] {
        const auto found = m_runs.find(capture);
        if (found == m_runs.end())
            return;
        finish(capture, outcomeOf(*found->process, request));
    });
    connect(run.process, &QProcess::errorOccurred, this,
            [this, capture](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart)
                    return;
                finish(capture, {Outcome::Status::failed,
                                 {},
                                 QStringLiteral("The capture process could not be started; "
                                                "check that the vantrel binary is installed "
                                                "and executable.")});
            });
    m_runs.insert(capture, run);
    const int seconds = run.askUser ? request.timeoutSeconds : captureTimeoutSeconds;
    expireAfter(capture, seconds, run.timers.get_token());
    if (run.askUser)
        reportWaiting(std::move(waiting), run.timers.get_token());
    run.process->start();
    return capture;
}

QCoro::Task<> ChildCaptureRunner::expireAfter(quint64 capture, int seconds, std::stop_token stop) {
    co_await m_clock.sleep(std::chrono::seconds(seconds), stop);
    if (stop.stop_requested())
        co_return;
    const bool askUser = m_runs.value(capture).askUser;
    finish(capture, askUser
                        ? Outcome{Outcome::Status::timedOut, {}, {}}
                        : Outcome{Outcome::Status::failed,
                                  {},
                                  QStringLiteral("The capture did not finish within %1 s (the "
                                                 "application or the accessibility bus may be "
                                                 "hanging); try again, or capture another window.")
                                      .arg(seconds)});
}

QCoro::Task<> ChildCaptureRunner::reportWaiting(Waiting waiting, std::stop_token stop) {
    for (int waited = waitingReportSeconds;; waited += waitingReportSeconds) {
        co_await m_clock.sleep(std::chrono::seconds(waitingReportSeconds), stop);
        if (stop.stop_requested())
            co_return;
        waiting(waited);
    }
}

ChildCaptureRunner::Outcome ChildCaptureRunner::outcomeOf(QProcess& process,
                                                          const Request& request) const {
    const QByteArray errors = process.readAllStandardError();
    if (!errors.isEmpty())
        qWarning("capture: %s", errors.trimmed().constData());
    if (process.exitStatus() != QProcess::NormalExit)
        return {Outcome::Status::failed,
                {},
                QStringLiteral("The capture process crashed (the accessibility bus or the "
                               "captured application may be misbehaving); try again.")};
    const QJsonObject report = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    if (report.value("ok").toBool()) {
        const QString folder = report.value("bundle").toObject().value("directory").toString();
        if (!folder.isEmpty())
            return {Outcome::Status::captured, folder, {}};
    }
    if (request.kind == Request::Kind::askUser && report.value("cancelled").toBool())
        return {Outcome::Status::cancelledByUser, {}, {}};
    QString reason = report.value("error").toString();
    if (reason.isEmpty())
        reason = lastLine(errors);
    if (reason.isEmpty())
        reason = QStringLiteral("The capture failed without saying why");
    if (!reason.endsWith(u'.'))
        reason += u'.';
    if (m_options.environment.value(QStringLiteral("DISPLAY")).isEmpty())
        return {Outcome::Status::failed,
                {},
                noDisplayMessage(QStringLiteral("DISPLAY is not set in the server's environment, "
                                                "and the Vantrel app is not running"))};
    if (reason.contains(QLatin1String("display"), Qt::CaseInsensitive))
        return {Outcome::Status::failed, {}, noDisplayMessage(reason.chopped(1))};
    return {Outcome::Status::failed, {}, reason + QStringLiteral(" Try again, or ask the user.")};
}

std::optional<ChildCaptureRunner::Run> ChildCaptureRunner::take(quint64 capture) {
    const auto found = m_runs.find(capture);
    if (found == m_runs.end())
        return std::nullopt;
    Run run = found.value();
    m_runs.erase(found);
    run.timers.request_stop();
    if (run.process) {
        run.process->disconnect(this);
        if (run.process->state() != QProcess::NotRunning) {
            run.process->kill();
            // Reaped, so no overlay or zombie is left behind.
            run.process->waitForFinished(2000);
        }
        run.process->deleteLater();
    }
    return run;
}

void ChildCaptureRunner::cancel(quint64 capture) {
    take(capture);
}

void ChildCaptureRunner::finish(quint64 capture, const Outcome& outcome) {
    if (const auto run = take(capture))
        run->done(outcome);
}

} // namespace vantrel
