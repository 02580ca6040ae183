#pragma once

#include "CaptureRunning.h"

#include <QHash>
#include <QObject>
#include <QProcessEnvironment>
#include <QStringList>

#include <QCoro/QCoroTask>

#include <optional>
#include <stop_token>

class QProcess;

namespace vantrel {

class Clock;

// Runs each capture as `vantrel capture ... --json` in a child process, so a crash or a hang of
// the accessibility bus ends that child and never the server, and the protocol loop stays free.
// Cancelling kills the child, and with it any overlay it shows.
class ChildCaptureRunner final : public QObject, public CaptureRunning {
    Q_OBJECT

  public:
    // A capture that is not waiting on the user gets this long before it is stopped.
    static constexpr int captureTimeoutSeconds = 55;
    static constexpr int waitingReportSeconds = 5;
    // A client cannot fill the machine with captures, nor the screen with overlays.
    static constexpr int maxRunningCaptures = 4;

    struct Options {
        QString program;                  // the vantrel binary
        std::optional<QString> scenePath; // capture the simulated desktop
        QProcessEnvironment environment;
    };

    ChildCaptureRunner(Options options, Clock& clock, QObject* parent = nullptr);
    ~ChildCaptureRunner() override;

    quint64 start(const Request& request, Waiting waiting, Done done) override;
    void cancel(quint64 capture) override;

    // The arguments of the child's command line.
    QStringList arguments(const Request& request) const;
    // What to tell the agent when no display is reachable, and why: the variables to forward.
    static QString noDisplayMessage(const QString& why);

  private:
    struct Run {
        QProcess* process = nullptr;
        // Ends the run's deadline and its waiting reports.
        std::stop_source timers;
        Done done;
        bool askUser = false;
    };

    // Out of the table, its process stopped; none when the capture is not running.
    std::optional<Run> take(quint64 capture);
    void finish(quint64 capture, const Outcome& outcome);
    Outcome outcomeOf(QProcess& process, const Request& request) const;
    QCoro::Task<> expireAfter(quint64 capture, int seconds, std::stop_token stop);
    QCoro::Task<> reportWaiting(Waiting waiting, std::stop_token stop);

    Options m_options;
    Clock& m_clock;
    quint64 m_last = 0;
    QHash<quint64, Run> m_runs;
};

} // namespace vantrel
