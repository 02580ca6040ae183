// The clipboard server's CPU time from exec to owning the CLIPBOARD selection with a capture's
// payload, against xclip taking the same selection, on the X display in DISPLAY. One run; prints
// "CPU_MS WALL_MS": the process's task-clock from `perf stat` (it owns the selection, then exits
// as soon as this program takes the selection back) and the wall time from its start until it
// owns the selection. Passes or fails nothing.
//
//   clipboard_server_bench SERVER [ARGS...]   runs SERVER ARGS... PAYLOAD_FILE PID x11
//   clipboard_server_bench --xclip            runs xclip -quiet -i on the payload's text

#include "platform/linux/ClipboardPayload.h"

#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// A bundle capture's payload: a 1440×900 picture, a path and a page of text.
vantrel::ClipboardPayload capturePayload() {
    vantrel::ClipboardPayload payload;
    QImage picture(1440, 900, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    payload.image = picture;
    payload.urls = {QUrl::fromLocalFile("/tmp/capture/capture.md")};
    payload.text = QByteArray("# Capture\n").repeated(400);
    return payload;
}

bool writePrivate(const std::string& path, const char* data, std::size_t size) {
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool ok = file >= 0 && ::write(file, data, size) == ssize_t(size);
    return ::close(file) == 0 && ok;
}

pid_t spawn(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

xcb_window_t clipboardOwner(xcb_connection_t* c, xcb_atom_t clipboard) {
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard), nullptr);
    const xcb_window_t owner = reply ? reply->owner : XCB_WINDOW_NONE;
    std::free(reply);
    return owner;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: clipboard_server_bench SERVER [ARGS...] | --xclip\n", stderr);
        return 2;
    }
    const bool xclip = std::strcmp(argv[1], "--xclip") == 0;
    QTemporaryDir folder;
    const std::string payloadPath = folder.filePath("bench.payload").toStdString();
    const std::string textPath = folder.filePath("text").toStdString();
    const std::string perfPath = folder.filePath("perf").toStdString();
    const vantrel::ClipboardPayload payload = capturePayload();
    const auto bytes = payload.encoded();
    if (!writePrivate(textPath, payload.text->constData(), std::size_t(payload.text->size())))
        return 1;

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fputs("clipboard_server_bench: no X display\n", stderr);
        return 1;
    }
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 9, "CLIPBOARD"), nullptr);
    const xcb_atom_t clipboard = atom->atom;
    std::free(atom);
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, 0, window, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root, 0, 0, 1,
                      1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, 0, 0, nullptr);
    xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
    xcb_flush(c);

    std::vector<std::string> command = {"perf",       "stat", "-x,",    "-e",
                                        "task-clock", "-o",   perfPath, "--"};
    if (xclip) {
        command.insert(command.end(),
                       {"xclip", "-quiet", "-selection", "clipboard", "-i", textPath});
    } else {
        if (!writePrivate(payloadPath, bytes.data(), std::size_t(bytes.size())))
            return 1;
        command.insert(command.end(), argv + 1, argv + argc);
        command.insert(command.end(), {payloadPath, std::to_string(::getpid()), "x11"});
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = spawn(command);
    // Owned: the server removes its payload file once the selection is its, xclip just owns it.
    const auto owned = [&] {
        return xclip ? clipboardOwner(c, clipboard) != window
                     : ::access(payloadPath.c_str(), F_OK) != 0;
    };
    while (!owned() && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    const double wall =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
    xcb_flush(c);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::ifstream perf(perfPath);
    std::string line;
    while (std::getline(perf, line)) {
        if (line.find(",task-clock") != std::string::npos) {
            std::printf("%.2f %.2f\n", std::strtod(line.c_str(), nullptr), wall);
            return 0;
        }
    }
    std::fputs("clipboard_server_bench: no task-clock from perf stat\n", stderr);
    return 1;
}
