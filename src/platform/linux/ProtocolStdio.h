#pragma once

#include <QByteArray>

namespace vantrel {

// The descriptors of a stdio protocol server. Everything the process or a library prints goes to
// stderr; only the protocol's own writes reach the real stdout.
struct ProtocolStdio {
    // The descriptor requests arrive on.
    static constexpr int standardInput = 0;

    // A private copy of stdout (closed on exec, so children never inherit it), and fd 1 pointed
    // at stderr; SIGPIPE is ignored from then on. -1 when stdout cannot be copied.
    static int takeStdout();
    // Writes every byte, retrying after interruptions; false when the reader is gone.
    static bool writeAll(int fd, const QByteArray& bytes);
    // What is there to read on fd, without blocking for more; empty at the end of the stream,
    // with atEnd set.
    static QByteArray readAvailable(int fd, bool& atEnd);
    // Agents may start servers with a cleared environment: XDG_RUNTIME_DIR from the user id and
    // the session bus socket in it, when they are there and the user's own.
    static void recoverSessionEnvironment();
};

} // namespace vantrel
