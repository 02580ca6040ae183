// Times X11ScreenCapture's pictures against their floor on the same server in the same run: a
// bare xcb_shm_get_image of the same rectangle into a segment made once. The display picture (the
// primary monitor at its pixel size, what an area capture reads) and a window picture (the
// front-most ordinary window, frame included) are timed. Prints figures; passes or fails nothing.
//
// Needs a running X server with MIT-SHM at $DISPLAY (e.g. Xvfb :91 plus a window); says so and
// exits 0 without one.
//
//   x11_capture_bench [RUNS]     (default 30)

#include "platform/linux/X11ScreenCapture.h"
#include "platform/linux/X11Screens.h"
#include "platform/linux/X11WindowServer.h"
#include "platform/linux/XcbConnection.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>

#include <xcb/shm.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

using namespace vantrel;

namespace {

double medianMs(int runs, const std::function<void()>& work) {
    work(); // warm up
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QCoro::Task<std::optional<QImage>> captureTask(X11ScreenCapture& capture, ContentFilter filter,
                                               StreamConfiguration configuration) {
    // An exception must not leave a task awaited by waitFor: it would hang the loop.
    try {
        QImage image = co_await capture.captureImage(filter, configuration);
        co_return image;
    } catch (const PlatformError& error) {
        std::printf("capture failed: %s\n", qPrintable(error.description));
    }
    co_return std::nullopt;
}

std::optional<QImage> capture(X11ScreenCapture& capture, ContentFilter filter, QSize size) {
    const StreamConfiguration configuration{size.width(), size.height(), true, false};
    return QCoro::waitFor(captureTask(capture, filter, configuration));
}

// The floor: one segment, attached once; each run is one ShmGetImage round trip.
class BareGrab {
  public:
    BareGrab(XcbConnection& connection, QRect rect) : m_connection(connection), m_rect(rect) {
        m_id = shmget(IPC_PRIVATE, size_t(rect.width()) * rect.height() * 4, IPC_CREAT | 0600);
        m_address = shmat(m_id, nullptr, 0);
        m_segment = xcb_generate_id(connection.get());
        std::free(xcb_request_check(connection.get(),
                                    xcb_shm_attach_checked(connection.get(), m_segment, m_id, 0)));
        shmctl(m_id, IPC_RMID, nullptr);
    }
    ~BareGrab() {
        xcb_shm_detach(m_connection.get(), m_segment);
        xcb_flush(m_connection.get());
        shmdt(m_address);
    }
    void grab() {
        xcb_connection_t* c = m_connection.get();
        std::free(xcb_shm_get_image_reply(
            c,
            xcb_shm_get_image(c, m_connection.root(), int16_t(m_rect.x()), int16_t(m_rect.y()),
                              uint16_t(m_rect.width()), uint16_t(m_rect.height()), ~0u,
                              XCB_IMAGE_FORMAT_Z_PIXMAP, m_segment, 0),
            nullptr));
    }

  private:
    XcbConnection& m_connection;
    QRect m_rect;
    int m_id = -1;
    void* m_address = nullptr;
    xcb_shm_seg_t m_segment = 0;
};

void compare(const char* label, int runs, XcbConnection& connection, X11ScreenCapture& capturer,
             const ContentFilter& filter, QRect rect) {
    BareGrab bare(connection, rect);
    const double ours = medianMs(runs, [&] { capture(capturer, filter, rect.size()); });
    const double floor = medianMs(runs, [&] { bare.grab(); });
    std::printf(
        "%-8s %5d×%-5d  X11ScreenCapture %7.2f ms   bare ShmGetImage %7.2f ms   ratio %.2f\n",
        label, rect.width(), rect.height(), ours, floor, ours / floor);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 30;
    QString error;
    auto connection = XcbConnection::open({}, &error);
    if (!connection) {
        std::printf("x11_capture_bench needs an X server at $DISPLAY: %s\n", qPrintable(error));
        return 0;
    }
    X11WindowServer windowServer(*connection);
    X11Screens screens(*connection);
    X11ScreenCapture capturer(*connection, windowServer, screens);
    if (!capturer.usesSharedMemory()) {
        std::printf("x11_capture_bench: the X server has no MIT-SHM; nothing to compare with.\n");
        return 0;
    }
    std::printf("%d runs each, medians\n", runs);

    const X11Monitor primary = connection->monitors().first();
    compare("display", runs, *connection, capturer, DisplayFilter{primary.id, {}}, primary.pixels);

    const auto windows = windowServer.windows(false);
    const X11Window* pick = nullptr;
    if (windows) {
        for (const X11Window& window : *windows) {
            if (window.layer == 0 && !window.desktop) {
                pick = &window;
                break;
            }
        }
    }
    if (pick == nullptr) {
        std::printf("window   no ordinary window on screen; skipped\n");
        return 0;
    }
    QRect rect;
    try {
        rect = capturer.sourceRect(WindowFilter{pick->id});
    } catch (const PlatformError& error) {
        std::printf("window   %s\n", qPrintable(error.description));
        return 0;
    }
    compare("window", runs, *connection, capturer, WindowFilter{pick->id}, rect);
    return 0;
}
