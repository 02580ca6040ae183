#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;

namespace vantrel {

// Keeps a second app from starting beside the first. The first holds a lock and listens on a
// local socket in the runtime folder; a lock or socket left by a crashed instance is taken over.
class SingleInstance final {
  public:
    // The runtime folder: $XDG_RUNTIME_DIR, or Qt's fallback for it.
    static QString defaultFolder();

    struct Claim {
        enum class Outcome { claimed, alreadyRunning, failed };
        Outcome outcome = Outcome::failed;
        std::unique_ptr<SingleInstance> instance; // only when claimed
        QString message;                          // what to tell the user otherwise
    };

    static Claim claim(const QString& folder);
    // Asks the instance running from that folder to show itself; false when none answered.
    static bool activateRunning(const QString& folder);
    // The process id of the instance that holds the lock in that folder, when it still runs.
    static std::optional<qint64> runningPid(const QString& folder);
    ~SingleInstance();

    QString socketPath() const;
    // Runs whenever a later launch asks this instance to show itself.
    void onActivationRequest(std::function<void()> handler) { m_onActivation = std::move(handler); }

    // A capture another process hands to the running app: its `vantrel capture` arguments, and
    // the peer that waits for the answer (gone when that process ended first).
    struct CaptureRequest {
        QStringList arguments;
        QPointer<QLocalSocket> peer;
        // Sends the answer and ends the conversation; nothing when the peer is gone.
        void answer(const QByteArray& reply) const;
    };
    void onCaptureRequest(std::function<void(const CaptureRequest&)> handler) {
        m_onCapture = std::move(handler);
    }
    // Hands a capture to the instance running from that folder and waits for its answer, for as
    // long as it takes the user; none when no instance takes it.
    static std::optional<QByteArray> requestCapture(const QString& folder,
                                                    const QStringList& arguments);

  private:
    SingleInstance(const QString& folder);
    bool listen();
    void readRequest(QLocalSocket* socket);

    QString m_folder;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void()> m_onActivation;
    std::function<void(const CaptureRequest&)> m_onCapture;
};

} // namespace vantrel
