// The floor a whole capture on the real desktop is compared with: the same window's picture, the
// same tree walk (hit-test, reads, snapshot) and the JPEG of that picture, each timed alone in
// this process, with no folder, documents, clipboard or process start. Prints one line per run:
// "grab_ms walk_ms jpeg_ms". Needs DISPLAY on a desktop with AT-SPI, or a GNOME session on
// Wayland with Vantrel's extension (WAYLAND_DISPLAY set), whose backend it then takes.
//
//   desktop_floor_bench X Y [RUNS]     (X, Y: the capture point, top-left root pixels)

#include "accessibility/AccessibilityCaptureService.h"
#include "platform/NotificationCenter.h"
#include "platform/ScreenCapturePlatform.h"
#include "platform/SystemClock.h"
#include "platform/WindowServer.h"
#include "platform/linux/LinuxDesktop.h"
#include "platform/wayland/WaylandDesktop.h"
#include "screen/CaptureCoordinates.h"
#include "screen/JpegEncoder.h"
#include "screen/SystemPermissionsService.h"

#include <QBuffer>
#include <QCoro/QCoroTask>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

using namespace vantrel;
using Stopwatch = std::chrono::steady_clock;

namespace {

double millisecondsSince(Stopwatch::time_point start) {
    return std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
}

std::optional<QRectF> windowAt(const WindowServer& windows, QPointF point) {
    for (const WindowListEntry& entry :
         windows.onScreenWindows().value_or(QList<WindowListEntry>{}))
        if (entry.bounds && entry.bounds->contains(point) && entry.layer == 0)
            return entry.bounds;
    return std::nullopt;
}

std::optional<quint32> windowIdAt(ScreenCapturePlatform& capture, QRectF bounds) {
    const ShareableContent content = QCoro::waitFor(capture.shareableContent(true, true));
    for (const ShareableWindow& window : content.windows)
        if (window.frame == bounds)
            return window.windowID;
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const bool gnome = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (argc < 3 || (!gnome && qEnvironmentVariableIsEmpty("DISPLAY"))) {
        std::fprintf(stderr, "usage: desktop_floor_bench X Y [RUNS] (with DISPLAY or "
                             "WAYLAND_DISPLAY set)\n");
        return 0;
    }
    const QPointF point(QString(argv[1]).toDouble(), QString(argv[2]).toDouble());
    const int runs = argc > 3 ? QString(argv[3]).toInt() : 20;
    QString reason;
    std::unique_ptr<LinuxDesktop> x11;
    std::unique_ptr<WaylandDesktop> gnomeDesktop;
    if (gnome)
        gnomeDesktop = WaylandDesktop::open(QCoreApplication::applicationFilePath(),
                                            QStringLiteral(VANTREL_VERSION), reason);
    else
        x11 = LinuxDesktop::open({QCoreApplication::applicationFilePath()}, reason);
    if (!x11 && !gnomeDesktop) {
        std::fprintf(stderr, "desktop_floor_bench: %s\n", qPrintable(reason));
        return 0;
    }
    const Platform platform = gnome ? gnomeDesktop->platform() : x11->platform();
    NotificationCenter center;
    SystemClock clock;
    SystemPermissionsService permissions(platform, center, clock);
    QTemporaryDir output;
    AccessibilityCaptureService accessibility(platform, permissions, clock, 4, 120, 24,
                                              output.path());
    const JpegEncoder jpeg(82);
    const auto bounds = windowAt(platform.windowServer, point);
    const auto id = bounds ? windowIdAt(platform.screenCapture, *bounds) : std::nullopt;
    if (!id) {
        std::fprintf(stderr, "desktop_floor_bench: no window at that point\n");
        return 0;
    }
    const QPointF bottomLeft = CaptureCoordinates::topLeftPoint(platform.screens, point);
    for (int run = 0; run < runs; ++run) {
        auto start = Stopwatch::now();
        const QImage picture = QCoro::waitFor(platform.screenCapture.captureImage(
            WindowFilter{*id}, {int(bounds->width()), int(bounds->height()), true, false}));
        const double grab = millisecondsSince(start);
        start = Stopwatch::now();
        accessibility.captureUnderMouse(bottomLeft, std::nullopt, false);
        const double walk = millisecondsSince(start);
        start = Stopwatch::now();
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        jpeg.write(picture, buffer);
        std::printf("%.2f %.2f %.2f\n", grab, walk, millisecondsSince(start));
    }
    return 0;
}
