#pragma once

#include "ClipboardHandoff.h"

#include <QString>

#include <memory>
#include <optional>

namespace vantrel {

class Pasteboard;

// A desktop's one clipboard server: started at most once, either early (so its start-up overlaps
// the capture) or when the payload is handed over, whichever comes first.
class LazyClipboardHandoff final {
  public:
    // The running executable, whose clipboard server is started.
    LazyClipboardHandoff(QString executable, ClipboardServer::Session session)
        : m_executable(std::move(executable)), m_session(session) {}

    void prepare();
    // Leaves the pasteboard's payload on the session's clipboard beyond this process; the reason
    // when it cannot. An empty pasteboard starts no server.
    std::optional<QString> handOff(const Pasteboard& pasteboard);

  private:
    QString m_executable;
    ClipboardServer::Session m_session;
    std::unique_ptr<ClipboardHandoff> m_handoff;
};

} // namespace vantrel
