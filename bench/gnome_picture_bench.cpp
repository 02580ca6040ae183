// Times a picture of the whole 1440×900 screen on GNOME through Vantrel's extension against the
// same picture through GNOME's Screenshot portal (the path without the extension), in the same
// run on the same desktop. Prints figures; passes or fails nothing.
//
// Runs inside a GNOME session with the extension answering (bench/gnome_bench.sh starts a private
// headless one); says so and exits 0 without one.
//
//   gnome_picture_bench [RUNS]     (default 20)

#include "platform/wayland/GnomeShellHelper.h"
#include "platform/wayland/PortalScreenshot.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double p50 = 0;
    double p95 = 0;
};

// Milliseconds per run of what; none when a run fails.
std::optional<Figures> timeRuns(int runs, const std::function<bool()>& what) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        if (!what())
            return std::nullopt;
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return Figures{times[times.size() / 2],
                   times[std::min(times.size() - 1, times.size() * 95 / 100)]};
}

// The answer GNOME's dialog would store, so that no dialog is shown (an unsandboxed app's id is
// empty).
bool grantPortalScreenshots() {
    QDBusMessage grant = QDBusMessage::createMethodCall(
        "org.freedesktop.impl.portal.PermissionStore",
        "/org/freedesktop/impl/portal/PermissionStore",
        "org.freedesktop.impl.portal.PermissionStore", "SetPermission");
    grant << QString("screenshot") << true << QString("screenshot") << QString()
          << QStringList{"yes"};
    return QDBusConnection::sessionBus().call(grant).type() == QDBusMessage::ReplyMessage;
}

void print(const char* name, const std::optional<Figures>& figures) {
    if (figures)
        std::printf("%-34s p50 %8.1f ms   p95 %8.1f ms\n", name, figures->p50, figures->p95);
    else
        std::printf("%-34s failed\n", name);
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    QString reason;
    const auto helper = vantrel::GnomeShellHelper::connect(VANTREL_VERSION, reason);
    if (!helper) {
        std::printf("gnome_picture_bench: no extension to ask (%s)\n", qPrintable(reason));
        return 0;
    }
    const QRect screen(0, 0, 1440, 900);
    const auto throughHelper = timeRuns(runs, [&] {
        const auto picture = helper->picture(screen);
        if (const auto* error = std::get_if<vantrel::PlatformError>(&picture))
            std::printf("extension: %s\n", qPrintable(error->description));
        return std::holds_alternative<QImage>(picture);
    });
    vantrel::PortalScreenshot portal(QDBusConnection::sessionBus());
    const bool granted = grantPortalScreenshots();
    const auto throughPortal =
        timeRuns(runs, [&] { return granted && std::holds_alternative<QImage>(portal.take()); });
    std::printf("1440x900 screen, %d runs each\n", runs);
    print("extension (Shell.Screenshot)", throughHelper);
    print("Screenshot portal", throughPortal);
    if (throughHelper && throughPortal)
        std::printf("extension / portal: p50 %.2fx\n", throughHelper->p50 / throughPortal->p50);
    return 0;
}
