#pragma once

#include "CaptureRunning.h"

#include <QHash>
#include <QObject>
#include <QProcessEnvironment>
#include <QStringList>

#include <optional>

class QProcess;
class QTimer;

namespace vantrel {

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

    explicit ChildCaptureRunner(Options options, QObject* parent = nullptr);
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
        QTimer* deadline = nullptr;
        QTimer* waitingTimer = nullptr;
        Done done;
        int waited = 0;
        bool askUser = false;
    };

    // Out of the table, its process stopped; none when the capture is not running.
    std::optional<Run> take(quint64 capture);
    void finish(quint64 capture, const Outcome& outcome);
    Outcome outcomeOf(QProcess& process, const Request& request) const;

    Options m_options;
    quint64 m_last = 0;
    QHash<quint64, Run> m_runs;
};

} // namespace vantrel
