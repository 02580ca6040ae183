#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// The vantrel-clipboard program: keeps a payload on the clipboard after the command that made it
// has exited, as xclip and wl-copy do. It owns the clipboard until another program takes it,
// then exits. It links no toolkit, so it starts about as fast as xclip.
//
//   vantrel-clipboard PAYLOAD_FILE COMMAND_PID x11|wayland
struct ClipboardServer {
    static constexpr char programName[] = "vantrel-clipboard";

    // Whose clipboard: the backend that opened the desktop says, the server never guesses.
    enum class Session { x11, wayland };
    static const char* sessionArgument(Session session);
    static std::optional<Session> sessionFromArgument(std::string_view argument);

    // Runs the server on a payload file (removed once the clipboard is ours). The server starts
    // before the payload exists and waits for it while the command that started it runs. Speaks
    // to the X server (DISPLAY) or the Wayland compositor (WAYLAND_DISPLAY) itself. Returns the
    // exit code.
    static int serve(const std::string& payloadPath, std::int64_t commandPid, Session session);
    // Whether the process still exists; the server and the command watch each other by pid.
    static bool isRunning(std::int64_t pid);
    // Where a server that could not take the payload leaves its reason.
    static std::string errorPath(const std::string& payloadPath) { return payloadPath + ".error"; }
};

} // namespace vantrel
