// Times loading scenes of 50 000 and 200 000 windows, each with a small accessibility tree, so the
// cost per window shows whether loading grows linearly. Prints figures; passes or fails nothing.
// Counts the process's CPU time, not wall time, so other work on a shared machine blurs it less.
//
//   scene_load_bench [RUNS]     (default 3; the best run counts)

#include "platform/sim/SceneLoader.h"

#include <QByteArray>
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

using namespace vantrel;

namespace {

// One application per ten windows, each window with a root, a toolbar and two buttons.
QByteArray scene(int windows) {
    QByteArray json = R"({"screens": [{"frame": [0, 0, 1440, 900]}], "apps": [)";
    for (int app = 0; app < windows / 10; ++app) {
        json += app == 0 ? "" : ",";
        json += R"({"pid": )" + QByteArray::number(1000 + app) + R"(, "name": "App )" +
                QByteArray::number(app) + "\"}";
    }
    json += R"(], "windows": [)";
    for (int window = 0; window < windows; ++window) {
        const QByteArray id = QByteArray::number(window);
        json += window == 0 ? "" : ",";
        json += R"({"id": )" + id + R"(, "pid": )" + QByteArray::number(1000 + window / 10) +
                R"(, "title": "W)" + id +
                R"(", "bounds": [10, 10, 400, 300], "ax": {"role": "AXWindow", "id": "w)" + id +
                R"(", "frame": [10, 10, 400, 300], "children": [{"role": "AXToolbar", )"
                R"("frame": [10, 30, 400, 40], "children": [)"
                R"({"role": "AXButton", "title": "Send", "frame": [20, 35, 60, 30]},)"
                R"({"role": "AXButton", "title": "Reply", "frame": [90, 35, 60, 30]}]}]}})";
    }
    return json + "]}";
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double bestSeconds(const QByteArray& json, int runs) {
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        const double start = cpuSeconds();
        const Scene loaded = SceneLoader::fromJson(json);
        best = std::min(best, cpuSeconds() - start);
        if (loaded.windows.isEmpty())
            std::puts("(no windows loaded)");
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::printf("%10s %10s %10s %14s\n", "windows", "MiB", "CPU s", "µs per window");
    double perWindow[2] = {};
    const int sizes[2] = {50000, 200000};
    for (int index = 0; index < 2; ++index) {
        const QByteArray json = scene(sizes[index]);
        const double seconds = bestSeconds(json, runs);
        perWindow[index] = seconds / sizes[index] * 1e6;
        std::printf("%10d %10.1f %10.3f %14.2f\n", sizes[index], json.size() / 1048576.0, seconds,
                    perWindow[index]);
    }
    std::printf("cost per window, 200 000 vs 50 000: %.2fx (1x is linear, 4x quadratic)\n",
                perWindow[1] / perWindow[0]);
    return 0;
}
