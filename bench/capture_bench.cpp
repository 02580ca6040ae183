// Times one area bundle capture on the simulated desktop against its floor on the very same data:
// the picture, TurboJPEG on its pixels, the tree walk and one QJsonDocument::toJson of the
// snapshot. Also the PNG encoder against Qt's, and the folder step against plain writes of the
// same bytes. Prints figures; passes or fails nothing. Runs in a private HOME, offscreen.
//
//   capture_bench [RUNS]     (RUNS at least 20; default 25)

#include "accessibility/AccessibilityCaptureService.h"
#include "accessibility/SnapshotDocument.h"
#include "app/ClipCoordinator.h"
#include "output/CaptureBundleWriter.h"
#include "output/PasteboardWriter.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/VirtualClock.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/PngEncoder.h"
#include "screen/ScreenCaptureService.h"
#include "screen/SystemPermissionsService.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

using namespace vantrel;

namespace {

constexpr int minimumRuns = 20;
constexpr int warmUpRuns = 2;
constexpr int groups = 3, subgroups = 7, leaves = 10, rootLeaves = 5; // 1 + 3 + 21 + 210 + 5
constexpr quint32 windowID = 11;
const QRectF wholeDisplay(0, 0, 1440, 900); // bottom-left space; 2880 × 1800 pixels at scale 2

// ---- the scene --------------------------------------------------------------------------------

QJsonArray frame(double x, double y, double w, double h) {
    return {x, y, w, h};
}

QJsonObject leaf(const QString& id, double x, double y) {
    return {{"role", "AXButton"},
            {"title", "Action " + id},
            {"identifier", "btn." + id},
            {"description", "Runs action " + id},
            {"frame", frame(x, y, 60, 22)},
            {"enabled", true},
            {"focused", false}};
}

QJsonObject subgroup(int g, int s) {
    QJsonArray children;
    const double top = 60 + g * 270 + s * 36;
    for (int l = 0; l < leaves; ++l)
        children.append(leaf(QStringLiteral("%1.%2.%3").arg(g).arg(s).arg(l), 20 + l * 70, top));
    return {{"role", "AXToolbar"},
            {"description", QStringLiteral("Row %1.%2").arg(g).arg(s)},
            {"frame", frame(10, top - 4, 1420, 30)},
            {"children", children}};
}

QJsonObject windowTree() {
    QJsonArray children;
    for (int g = 0; g < groups; ++g) {
        QJsonArray rows;
        for (int s = 0; s < subgroups; ++s)
            rows.append(subgroup(g, s));
        children.append(QJsonObject{{"role", "AXGroup"},
                                    {"title", QStringLiteral("Pane %1").arg(g)},
                                    {"frame", frame(0, 50 + g * 270, 1440, 260)},
                                    {"children", rows}});
    }
    for (int l = 0; l < rootLeaves; ++l) {
        children.append(QJsonObject{{"role", "AXStaticText"},
                                    {"value", QStringLiteral("Status line %1").arg(l)},
                                    {"frame", frame(10 + l * 200, 870, 180, 20)}});
    }
    return {{"role", "AXWindow"},
            {"title", "Editor"},
            {"frame", frame(0, 0, 1440, 900)},
            {"focused", true},
            {"children", children}};
}

QByteArray sceneJson() {
    const QJsonObject scene{
        {"screens",
         QJsonArray{QJsonObject{{"frame", frame(0, 0, 1440, 900)}, {"scale", 2}, {"number", 1}}}},
        {"mouse", QJsonArray{720, 450}},
        {"frontmost", 501},
        {"apps", QJsonArray{QJsonObject{
                     {"pid", 501}, {"name", "Codewright"}, {"bundleId", "com.example.code"}}}},
        {"windows", QJsonArray{QJsonObject{{"id", static_cast<int>(windowID)},
                                           {"pid", 501},
                                           {"title", "Editor"},
                                           {"bounds", frame(0, 0, 1440, 900)},
                                           {"ax", windowTree()}}}}};
    return QJsonDocument(scene).toJson(QJsonDocument::Compact);
}

// ---- timing -----------------------------------------------------------------------------------

struct Figures {
    double median = 0, low = 0, high = 0, q1 = 0, q3 = 0;
};

Figures summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const auto at = [&ms](double q) { return ms[static_cast<size_t>(q * (ms.size() - 1) + 0.5)]; };
    return {at(0.5), ms.front(), ms.back(), at(0.25), at(0.75)};
}

// prepare runs untimed before every run.
Figures measure(
    int runs, const std::function<void()>& body, const std::function<void()>& prepare = [] {}) {
    std::vector<double> ms;
    for (int run = 0; run < warmUpRuns + runs; ++run) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        body();
        const auto end = std::chrono::steady_clock::now();
        if (run >= warmUpRuns)
            ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    return summarise(std::move(ms));
}

// Runs a and b alternately, swapping which goes first, so load from other processes on a shared
// machine falls on both alike; a ratio of these medians is steadier than one of separate runs.
std::pair<Figures, Figures> measurePair(
    int runs, const std::function<void()>& a, const std::function<void()>& b,
    const std::function<void()>& prepare = [] {}) {
    std::vector<double> msA, msB;
    const auto timed = [](const std::function<void()>& body) {
        const auto start = std::chrono::steady_clock::now();
        body();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    };
    for (int run = 0; run < warmUpRuns + runs; ++run) {
        prepare();
        const bool aFirst = run % 2 == 0;
        const double first = timed(aFirst ? a : b);
        const double second = timed(aFirst ? b : a);
        if (run < warmUpRuns)
            continue;
        msA.push_back(aFirst ? first : second);
        msB.push_back(aFirst ? second : first);
    }
    return {summarise(std::move(msA)), summarise(std::move(msB))};
}

void printRow(const char* stage, const Figures& f) {
    std::printf("  %-44s %9.3f  %9.3f – %-9.3f %9.3f – %-9.3f\n", stage, f.median, f.low, f.high,
                f.q1, f.q3);
}

void printHeader(const char* title) {
    std::printf("\n%s\n  %-44s %9s  %-21s %-21s\n", title, "stage", "median ms", "  min – max",
                "  quartiles");
}

template <class T> T await(QCoro::Task<T> task) {
    std::optional<T> result;
    auto run = [](QCoro::Task<T> inner, std::optional<T>& out) -> QCoro::Task<> {
        out = co_await std::move(inner);
    };
    QCoro::waitFor(run(std::move(task), result));
    return *result;
}

// ---- baselines --------------------------------------------------------------------------------

// tjCompress2 at quality 82 with 4:2:0 subsampling, to memory; returns the size.
unsigned long turboCompress(tjhandle handle, const QImage& image) {
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int format = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? TJPF_BGRX : TJPF_XRGB;
    if (tjCompress2(handle, image.constBits(), image.width(),
                    static_cast<int>(image.bytesPerLine()), image.height(), format, &jpeg, &size,
                    TJSAMP_420, 82, TJFLAG_ACCURATEDCT) != 0)
        size = 0;
    tjFree(jpeg);
    return size;
}

QByteArray qtPng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

void writePlain(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "plain write failed: %s\n", qPrintable(path));
}

// ---- the run ----------------------------------------------------------------------------------

class Bench {
  public:
    Bench(const QString& home, int runs)
        : m_home(home), m_runs(runs), m_desktop(SceneLoader::fromJson(sceneJson(), "bench")),
          m_platform(m_desktop.platform()), m_permissions(m_platform, m_center, m_clock),
          m_accessibility(m_platform, m_permissions, m_clock, 4, 120, 24),
          m_screens(m_platform, m_permissions, m_clock),
          m_bundleWriter(m_clock, m_defaults, m_platform.vocabulary),
          m_pasteboardWriter(m_platform.pasteboard, m_defaults, m_platform.vocabulary),
          m_coordinator(
              {m_accessibility, m_screens, m_bundleWriter, m_pasteboardWriter, m_defaults}) {
        m_permissions.startMonitoring();
        tjDestroyOnExit = tjInitCompress();
    }
    ~Bench() { tjDestroy(tjDestroyOnExit); }

    void run() {
        std::printf("capture_bench: %d runs per figure after %d warm-up runs; HOME=%s\n", m_runs,
                    warmUpRuns, qPrintable(m_home));
        std::printf("scene: one display 1440×900 points at scale 2; a %d-node window tree; an "
                    "area bundle capture of the whole display\n\n",
                    1 + groups + groups * subgroups + groups * subgroups * leaves + rootLeaves);
        pipelineAgainstFloor();
        pngAgainstQt();
        folderAgainstPlainWrites();
    }

  private:
    // The floor's four parts, each on its own, then all four against the whole pipeline.
    void pipelineAgainstFloor() {
        const AXElement root = m_desktop.accessibility().windowElement(windowID);
        const DisplayFilter display{1, {}};
        const StreamConfiguration size{2880, 1800, true, false};
        const auto picture = [&] {
            m_pixels = await(m_desktop.screenCapture().captureImage(display, size));
        };
        const auto jpeg = [&] { m_jpegSize = turboCompress(tjDestroyOnExit, m_pixels); };
        const auto walk = [&] {
            int budget = 0;
            m_tree = m_accessibility.serialize(root, 0, budget, 6, 240, std::nullopt);
        };
        const auto toJson = [&] {
            const SnapshotDocument document{{},
                                            m_clock.now(),
                                            QPointF(720, 450),
                                            wholeDisplay,
                                            {},
                                            QStringLiteral("Window \"Editor\""),
                                            m_tree};
            m_snapshotSize = document.encoded().value_or(QByteArray()).size();
        };
        const Figures pictureAlone = measure(m_runs, picture);
        const Figures jpegAlone = measure(m_runs, jpeg);
        const Figures walkAlone = measure(m_runs, walk);
        const Figures jsonAlone = measure(m_runs, toJson);
        const auto [whole, floor] = measurePair(
            m_runs,
            [&] {
                const auto outcome = await(
                    m_coordinator.capture(CaptureMode::bundle, std::nullopt, wholeDisplay, false));
                if (!outcome.isSuccess())
                    std::fprintf(stderr, "capture failed: %s\n",
                                 qPrintable(localizedDescription(outcome.error())));
            },
            [&] {
                picture();
                jpeg();
                walk();
                toJson();
            });
        printHeader("Whole pipeline against its floor");
        printRow("picture (the sim paints 2880×1800)", pictureAlone);
        printRow("tjCompress2 q82 4:2:0 of those pixels", jpegAlone);
        printRow("tree walk (area limits 6/240)", walkAlone);
        printRow("one toJson of the snapshot", jsonAlone);
        printRow("floor: the four in a row", floor);
        printRow("whole pipeline (ClipCoordinator, bundle)", whole);
        std::printf("  JPEG %lu bytes; snapshot %lld bytes\n", m_jpegSize,
                    static_cast<long long>(m_snapshotSize));
        std::printf("  whole pipeline ÷ floor = %.2f   (target ≤ 1.5)\n",
                    whole.median / floor.median);
    }

    void pngAgainstQt() {
        QByteArray ours, qts;
        const auto [encoder, qt] = measurePair(
            m_runs, [&] { ours = PngEncoder::encode(m_pixels); }, [&] { qts = qtPng(m_pixels); });
        printHeader("PNG of the 2880×1800 picture");
        printRow("PngEncoder", encoder);
        printRow("QImageWriter, default settings", qt);
        std::printf("  PngEncoder %lld bytes, Qt %lld bytes; PngEncoder ÷ Qt = %.2f; lossless: "
                    "%s\n",
                    static_cast<long long>(ours.size()), static_cast<long long>(qts.size()),
                    encoder.median / qt.median,
                    QImage::fromData(ours, "PNG").convertToFormat(m_pixels.format()) == m_pixels
                        ? "yes"
                        : "NO");
    }

    // The folder step with its PNG, documents, flushes, rename, links and rotation, against the
    // same PNG encode and plain unflushed writes of the same files' bytes.
    void folderAgainstPlainWrites() {
        const auto record =
            m_accessibility.captureUnderMouse(wholeDisplay.center(), wholeDisplay, false);
        // The PNG starts where the writer would meet it, so both sides pay for the whole encode.
        const auto write = [&] {
            const std::optional png = PngEncoder::start(m_pixels);
            return await(m_bundleWriter.write(record, png));
        };
        CaptureBundle bundle = write();
        const QString folder = bundle.directory.toLocalFile();
        QList<QPair<QString, QByteArray>> files;
        for (const char* name : {"accessibility.json", "capture.md", "capture1.md"})
            files.append({QString::fromLatin1(name), readAll(folder + '/' + name)});
        const QString plain = m_home + QStringLiteral("/plain");
        QDir().mkpath(plain);
        int round = 0;
        const auto [writer, baseline] = measurePair(
            m_runs, [&] { bundle = write(); },
            [&] {
                const QString into = plain + u'/' + QString::number(round++);
                QDir().mkpath(into);
                writePlain(into + QStringLiteral("/screenshot.png"), PngEncoder::encode(m_pixels));
                for (const auto& [name, bytes] : files)
                    writePlain(into + u'/' + name, bytes);
            });
        printHeader("Capture folder: files and links");
        printRow("CaptureBundleWriter::write", writer);
        printRow("PNG encode + plain unflushed writes", baseline);
        std::printf("  writer ÷ plain = %.2f\n", writer.median / baseline.median);
    }

    static QByteArray readAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString m_home;
    int m_runs;
    SimDesktop m_desktop;
    Platform m_platform;
    VirtualClock m_clock{QDateTime::currentDateTimeUtc()};
    NotificationCenter m_center;
    MemoryUserDefaults m_defaults;
    SystemPermissionsService m_permissions;
    AccessibilityCaptureService m_accessibility;
    ScreenCaptureService m_screens;
    CaptureBundleWriter m_bundleWriter;
    PasteboardWriter m_pasteboardWriter;
    ClipCoordinator m_coordinator;
    tjhandle tjDestroyOnExit = nullptr;
    QImage m_pixels;
    SnapshotNode m_tree;
    unsigned long m_jpegSize = 0;
    qsizetype m_snapshotSize = 0;
};

} // namespace

int main(int argc, char** argv) {
    // Never the real home folder: everything the capture writes goes under a temporary one.
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    const QByteArray root = home.path().toUtf8();
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/.config");
    qputenv("XDG_CACHE_HOME", root + "/.cache");
    qputenv("XDG_DATA_HOME", root + "/.local/share");
    qputenv("XDG_DESKTOP_DIR", root + "/Desktop");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(minimumRuns, std::atoi(argv[1])) : 25;
    Bench(home.path(), runs).run();
    return 0;
}
