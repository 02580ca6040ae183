#pragma once

#include "../Clock.h"
#include "../clipboard/ClipboardServer.h"

#include <QString>

#include <memory>
#include <optional>

namespace vantrel {

struct ClipboardPayload;

// Leaves a payload on the clipboard beyond the life of this process. The clipboard server
// program is started, detached, before the capture, so its start-up overlaps the capture's work;
// it then waits for the payload in a private file. A handoff that never happens (a failed
// capture) stops the server and leaves nothing behind.
class ClipboardHandoff final {
  public:
    // The server of the running executable (ClipboardServerProgram); when there is none, the
    // handoff fails with the reason.
    static std::unique_ptr<ClipboardHandoff> startFor(const QString& runningExecutable,
                                                      ClipboardServer::Session session);
    // The server program given. The session is the one the backend opened.
    static std::unique_ptr<ClipboardHandoff> start(const QString& executable,
                                                   ClipboardServer::Session session);
    // The wait for the server runs on this clock, so tests need not wait it out.
    static std::unique_ptr<ClipboardHandoff> start(const QString& executable,
                                                   ClipboardServer::Session session, Clock& clock);
    ~ClipboardHandoff();

    ClipboardHandoff(const ClipboardHandoff&) = delete;
    ClipboardHandoff& operator=(const ClipboardHandoff&) = delete;

    // Returns once the server owns the clipboard; otherwise the reason, with nothing left behind.
    std::optional<QString> handOff(const ClipboardPayload& payload);

  private:
    ClipboardHandoff(QString path, qint64 pid, std::optional<QString> startFailure, Clock& clock);
    void stopServer();

    QString m_path;
    qint64 m_pid = 0;
    std::optional<QString> m_startFailure;
    bool m_handedOff = false;
    Clock& m_clock;
};

} // namespace vantrel
