#pragma once

#include "ClipboardTargets.h"

#include <QString>

#include <optional>

namespace vantrel {

// The hidden mode of the executable that keeps a payload on the clipboard after the command that
// made it has exited, as xclip and wl-copy do: it owns the clipboard until another program takes
// it, then exits.
struct ClipboardServer {
    static inline const QString argument = QStringLiteral("--serve-clipboard");

    // Whose clipboard: the backend that opened the desktop says, the server never guesses.
    enum class Session { x11, wayland };
    static QString sessionArgument(Session session);
    static std::optional<Session> sessionFromArgument(const QString& argument);

    // Runs the server on a payload file (removed once the clipboard is ours). The server starts
    // before the payload exists and waits for it while the command that started it runs. Speaks
    // to the X server (DISPLAY) or the Wayland compositor (WAYLAND_DISPLAY) itself and needs no
    // application object. A picture goes out as encodePng makes it. Returns the exit code.
    static int serve(const QString& payloadPath, qint64 commandPid, Session session,
                     ClipboardTargets::PngEncoding encodePng);
    // Whether the process still exists; the server and the command watch each other by pid.
    static bool isRunning(qint64 pid);
    // Where a server that could not take the payload leaves its reason.
    static QString errorPath(const QString& payloadPath) {
        return payloadPath + QStringLiteral(".error");
    }
};

} // namespace vantrel
