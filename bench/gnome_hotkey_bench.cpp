// Times the path users take on GNOME: Ctrl+Alt+C typed through the compositor (Mutter's
// RemoteDesktop, as the Wayland tests type it) to the moment the running tray app's clipboard
// server owns the clipboard with the new payload. On Wayland only a focused window hears who owns
// the clipboard, and watching would take the focus the server needs; the server itself says it:
// it removes the payload file from the runtime folder once the compositor has given it the
// selection. Prints figures; passes or fails nothing.
//
//   gnome_hotkey_bench WINDOW_TITLE [RUNS]
//
// Runs in the GNOME session of a running tray app (bench/gnome_bench.sh starts both); first moves
// the pointer to the middle of the titled window and prints "point X Y", then one line per run:
// milliseconds. A press the shell drops under load (it happens on the headless shell) is pressed
// again and not counted.

#include "platform/wayland/GnomeShellHelper.h"
#include "support/RemoteInput.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using Stopwatch = std::chrono::steady_clock;
constexpr int giveUpMilliseconds = 3000;
// Lets the toast and the app settle between presses, so no capture overlaps the next.
constexpr auto settle = std::chrono::milliseconds(250);
constexpr quint32 controlKey = 0xffe3, altKey = 0xffe9, letterC = 0x63;

bool isPayload(const inotify_event& event) {
    const std::string name = event.len > 0 ? event.name : "";
    return name.size() > 8 && name.compare(name.size() - 8, 8, ".payload") == 0;
}

// Milliseconds from the key press to the payload file leaving the folder; negative when no
// capture followed the press.
double pressAndWait(vantrel::testing::RemoteInput& input, int watch) {
    char events[4096];
    while (::read(watch, events, sizeof events) > 0) {
    }
    const auto start = Stopwatch::now();
    input.chord({controlKey, altKey, letterC});
    pollfd descriptor{watch, POLLIN, 0};
    while (::poll(&descriptor, 1, giveUpMilliseconds) > 0) {
        const ssize_t size = ::read(watch, events, sizeof events);
        for (ssize_t at = 0; at < size;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if ((event->mask & IN_DELETE) && isPayload(*event))
                return std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: gnome_hotkey_bench WINDOW_TITLE [RUNS]\n");
        return 0;
    }
    const QString title = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    QString reason;
    const auto helper = vantrel::GnomeShellHelper::connect(VANTREL_VERSION, reason);
    if (!helper) {
        std::fprintf(stderr, "gnome_hotkey_bench: no extension to ask (%s)\n", qPrintable(reason));
        return 0;
    }
    QRect frame;
    for (const vantrel::CompositorWindow& window :
         helper->windows().value_or(QList<vantrel::CompositorWindow>()))
        if (window.title == title)
            frame = window.frame;
    vantrel::testing::RemoteInput input;
    if (frame.isEmpty() || !input.started() || !input.moveTo(*helper, frame.center())) {
        std::fprintf(stderr, "gnome_hotkey_bench: cannot put the pointer on \"%s\"\n", argv[1]);
        return 0;
    }
    std::printf("point %d %d\n", frame.center().x(), frame.center().y());
    std::fflush(stdout);
    const std::string folder = qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString() + "/vantrel";
    // The app makes its runtime folder at its first capture; made here first, it is the same.
    ::mkdir(folder.c_str(), 0700);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0 || ::inotify_add_watch(watch, folder.c_str(), IN_DELETE) < 0) {
        std::fprintf(stderr, "gnome_hotkey_bench: cannot watch %s\n", folder.c_str());
        return 0;
    }
    for (int counted = 0, dropped = 0; counted < runs && dropped < runs;) {
        const double ms = pressAndWait(input, watch);
        if (ms < 0) {
            ++dropped;
            continue;
        }
        std::printf("%.2f\n", ms);
        std::fflush(stdout);
        ++counted;
        std::this_thread::sleep_for(settle);
    }
    ::close(watch);
    return 0;
}
