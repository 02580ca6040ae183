// Times the path users take: Ctrl+Alt+C pressed (a synthetic key through XTest) to the moment
// the running tray app owns the CLIPBOARD selection again with the new payload (an XFixes
// selection-owner notification). With --soak it also reads the tray app's resident memory after
// the first few captures and after all of them. Prints figures; passes or fails nothing.
//
//   tray_hotkey_bench TRAY_PID [RUNS]           one line per run: milliseconds
//   tray_hotkey_bench TRAY_PID RUNS --soak N    also "rss_kib_after_N rss_kib_after_RUNS"
//
// Needs DISPLAY on the desktop the tray app runs on, with the window to capture under the pointer.

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xfixes.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <thread>

namespace {

using Stopwatch = std::chrono::steady_clock;
constexpr int giveUpMilliseconds = 10000;
constexpr int quietMilliseconds = 50;
// Lets the toast and the app settle between presses, so no capture overlaps the next.
constexpr auto settle = std::chrono::milliseconds(250);

constexpr xcb_keysym_t controlKey = 0xffe3, altKey = 0xffe9, letterC = 0x63;

long residentKiB(long pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name),
                              nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

void key(xcb_connection_t* connection, xcb_window_t root, xcb_keycode_t code, bool down) {
    const uint8_t type = down ? uint8_t(XCB_KEY_PRESS) : uint8_t(XCB_KEY_RELEASE);
    xcb_test_fake_input(connection, type, code, XCB_CURRENT_TIME, root, 0, 0, 0);
}

void drain(xcb_connection_t* connection) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection))
        std::free(event);
}

// Milliseconds from the key press to the last of the clipboard's owner changes a capture makes
// (the app mirrors each step of its pasteboard write); negative when none came.
double pressAndWait(xcb_connection_t* connection, xcb_window_t root, const xcb_keycode_t codes[3],
                    uint8_t xfixesEvent) {
    drain(connection);
    for (int k = 0; k < 3; ++k)
        key(connection, root, codes[k], true);
    for (int k = 2; k >= 0; --k)
        key(connection, root, codes[k], false);
    const auto start = Stopwatch::now();
    xcb_flush(connection);
    std::optional<Stopwatch::time_point> lastOwned;
    pollfd descriptor{xcb_get_file_descriptor(connection), POLLIN, 0};
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            if ((event->response_type & 0x7f) == xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY)
                lastOwned = Stopwatch::now();
            std::free(event);
        }
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(Stopwatch::now() - start).count();
        // The writes of one capture follow each other within microseconds: quiet means done.
        const int ready = poll(&descriptor, 1, lastOwned ? quietMilliseconds : 100);
        if (ready == 0 && lastOwned)
            return std::chrono::duration<double, std::milli>(*lastOwned - start).count();
        if (waited > giveUpMilliseconds || ready < 0)
            return -1;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tray_hotkey_bench TRAY_PID [RUNS] [--soak N]\n");
        return 0;
    }
    const long trayPid = std::strtol(argv[1], nullptr, 10);
    const int runs = argc > 2 ? std::atoi(argv[2]) : 20;
    const int soakAfter = argc > 4 && std::strcmp(argv[3], "--soak") == 0 ? std::atoi(argv[4]) : 0;
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "tray_hotkey_bench: no X display\n");
        return 0;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int k = 0; k < screenNumber; ++k)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;

    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) {
        std::fprintf(stderr, "tray_hotkey_bench: the X server has no XFixes\n");
        return 0;
    }
    std::free(xcb_xfixes_query_version_reply(
        connection, xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, 0), nullptr));
    xcb_xfixes_select_selection_input(connection, root, atom(connection, "CLIPBOARD"),
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);

    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
    xcb_keycode_t codes[3] = {};
    const xcb_keysym_t keysyms[3] = {controlKey, altKey, letterC};
    for (int k = 0; k < 3; ++k) {
        xcb_keycode_t* found = xcb_key_symbols_get_keycode(symbols, keysyms[k]);
        codes[k] = found ? found[0] : 0;
        std::free(found);
    }
    xcb_key_symbols_free(symbols);

    long rssEarly = -1;
    for (int run = 1; run <= runs; ++run) {
        const double ms = pressAndWait(connection, root, codes, xfixes->first_event);
        if (ms < 0) {
            std::fprintf(stderr, "tray_hotkey_bench: run %d: the clipboard never changed\n", run);
            break;
        }
        if (soakAfter == 0)
            std::printf("%.2f\n", ms);
        std::this_thread::sleep_for(settle);
        if (run == soakAfter)
            rssEarly = residentKiB(trayPid);
    }
    if (soakAfter > 0)
        std::printf("%ld %ld\n", rssEarly, residentKiB(trayPid));
    xcb_disconnect(connection);
    return 0;
}
