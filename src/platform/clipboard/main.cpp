// The vantrel-clipboard program, which a command starts to leave its payload on the clipboard.
#include "ClipboardServer.h"

#include <charconv>
#include <cstdio>
#include <string_view>

int main(int argc, char** argv) {
    const auto session =
        argc == 4 ? vantrel::ClipboardServer::sessionFromArgument(argv[3]) : std::nullopt;
    const std::string_view pidText = argc == 4 ? argv[2] : "";
    std::int64_t commandPid = 0;
    const auto [end, error] =
        std::from_chars(pidText.data(), pidText.data() + pidText.size(), commandPid);
    if (!session || error != std::errc() || end != pidText.data() + pidText.size() ||
        commandPid <= 0) {
        std::fputs("usage: vantrel-clipboard PAYLOAD_FILE COMMAND_PID x11|wayland\n"
                   "Started by vantrel itself: serves a command's payload on the clipboard.\n",
                   stderr);
        return 2;
    }
    return vantrel::ClipboardServer::serve(argv[1], commandPid, *session);
}
