// Times each stage of one area bundle capture on the simulated desktop, and two baselines on the
// very same data: TurboJPEG on the same pixels and one QJsonDocument::toJson of the same snapshot.
// Prints figures; passes or fails nothing. Runs in a private HOME on the offscreen platform.
//
//   capture_bench [RUNS]     (RUNS at least 20; default 25)

#include "accessibility/AccessibilityCaptureService.h"
#include "accessibility/SnapshotDocument.h"
#include "app/ClipCoordinator.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "output/CaptureBundleWriter.h"
#include "output/CaptureDocuments.h"
#include "output/PasteboardWriter.h"
#include "output/SnapshotJsonText.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/VirtualClock.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/JpegEncoder.h"
#include "screen/ScreenCaptureService.h"
#include "screen/SystemPermissionsService.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
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

std::optional<int> turboPixelFormat(QImage::Format format) {
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? TJPF_BGRX : TJPF_XRGB;
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
        return TJPF_RGBX;
    case QImage::Format_RGB888:
        return TJPF_RGB;
    default:
        return std::nullopt;
    }
}

// Compresses to memory and returns the size; tjCompress2 at quality 82 with 4:2:0 subsampling.
unsigned long turboCompress(tjhandle handle, const QImage& image, int pixelFormat) {
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(handle, image.constBits(), image.width(),
                    static_cast<int>(image.bytesPerLine()), image.height(), pixelFormat, &jpeg,
                    &size, TJSAMP_420, 82, 0) != 0) {
        std::fprintf(stderr, "tjCompress2: %s\n", tjGetErrorStr2(handle));
        size = 0;
    }
    tjFree(jpeg);
    return size;
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
    }

    void run() {
        std::printf("capture_bench: %d runs per stage after %d warm-up runs; HOME=%s\n", m_runs,
                    warmUpRuns, qPrintable(m_home));
        std::printf("scene: one display 1440×900 points at scale 2; window %u with a %d-node tree; "
                    "an area bundle capture of the whole display\n",
                    windowID,
                    1 + groups + groups * subgroups + groups * subgroups * leaves + rootLeaves);
        stages();
        baselines();
        textBreakdown();
        ratios();
    }

  private:
    void stages() {
        printHeader("Stages of one area bundle capture");
        accessibilityStages();
        screenStages();
        outputStages();
        std::printf("  nodes walked: %d; snapshot %lld bytes; picture %d×%d; JPEG %lld bytes\n",
                    m_nodes, static_cast<long long>(m_snapshotBytes.size()), m_pixels.width(),
                    m_pixels.height(),
                    static_cast<long long>(QFile(m_jpegURL.toLocalFile()).size()));
        std::printf("  missing stages: none (the accessibility service, bundle writer and "
                    "pasteboard writer are all on main)\n");
    }

    void accessibilityStages() {
        const AXElement root = m_desktop.accessibility().windowElement(windowID);
        // An area capture walks with depth 4 + 2 and 120 × 2 nodes.
        const Figures walk = measure(m_runs, [&] {
            int budget = 0;
            m_tree = m_accessibility.serialize(root, 0, budget, 6, 240, std::nullopt);
            m_nodes = budget;
        });
        printRow("tree walk (serialize, area limits 6/240)", walk);

        m_document = {{},
                      m_clock.now(),
                      QPointF(720, 450),
                      QRectF(0, 0, 1440, 900),
                      {},
                      QStringLiteral("Window \"Editor\""),
                      m_tree};
        const QString snapshotPath = m_home + QStringLiteral("/bench-snapshot.json");
        m_snapshotFile = measure(m_runs, [&] {
            const auto bytes = m_document.encoded();
            QSaveFile file(snapshotPath);
            if (!bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() ||
                !file.commit())
                std::fprintf(stderr, "snapshot write failed\n");
            m_snapshotBytes = bytes.value_or(QByteArray());
        });
        printRow("snapshot file (encode + atomic write)", m_snapshotFile);

        std::optional<CapturedAccessibility> captured;
        const Figures axStep = measure(m_runs, [&] {
            captured =
                m_accessibility.captureUnderMouse(wholeDisplay.center(), wholeDisplay, false);
        });
        printRow("  accessibility step as a whole", axStep);
        m_accessibilityRecord = *captured;
    }

    void screenStages() {
        const DisplayFilter display{1, {}};
        const Figures picture = measure(m_runs, [&] {
            m_pixels = await(m_desktop.screenCapture().captureImage(display, {2880, 1800}));
        });
        printRow("picture (sim paints 2880×1800)", picture);

        int shot = 0;
        m_jpeg = measure(m_runs, [&] {
            m_jpegURL = m_screens.writeJPEG(m_pixels, QStringLiteral("bench_%1").arg(shot++));
        });
        printRow("JPEG write (JpegEncoder, q82, atomic file)", m_jpeg);

        const Figures screenStep =
            measure(m_runs, [&] { m_shot = await(m_screens.capture(wholeDisplay)); });
        printRow("  screenshot step as a whole", screenStep);

        const Figures load =
            measure(m_runs, [&] { m_loaded = QImage(m_shot.fileURL.toLocalFile()); });
        printRow("picture read back (JPEG decode)", load);
    }

    void outputStages() {
        m_folder = measure(
            m_runs,
            [&] {
                m_bundle = m_bundleWriter.write(m_accessibilityRecord, m_shot.fileURL, m_loaded);
            },
            [&] { m_clock.advance(std::chrono::seconds(1)); });
        printRow("folder (documents, links, rotation)", m_folder);

        m_pasteboard = measure(m_runs, [&] {
            m_pasteboardWriter.writeBundle(m_bundle, m_accessibilityRecord, m_loaded,
                                           BundlePasteboardFormat::claudeCodeV2);
        });
        printRow("pasteboard (claudeCodeV2)", m_pasteboard);

        const Figures whole = measure(
            m_runs,
            [&] {
                const auto outcome =
                    await(m_coordinator.captureBundle(std::nullopt, wholeDisplay, false));
                if (!outcome.isSuccess())
                    std::fprintf(stderr, "pipeline failed\n");
            },
            [&] { m_clock.advance(std::chrono::seconds(1)); });
        printRow("whole pipeline (ClipCoordinator::captureBundle)", whole);
    }

    void baselines() {
        printHeader("Baselines on the very same data");
        const QJsonObject snapshot = QJsonDocument::fromJson(m_snapshotBytes).object();
        m_toJson = measure(m_runs, [&] { QJsonDocument(snapshot).toJson(); });
        printRow("one QJsonDocument::toJson of the snapshot", m_toJson);

        m_turboFormat = turboPixelFormat(m_pixels.format());
        if (!m_turboFormat) {
            std::printf("  picture format %d has no TurboJPEG layout\n", m_pixels.format());
            return;
        }
        tjhandle handle = tjInitCompress();
        unsigned long size = 0;
        m_turbo = measure(m_runs, [&] { size = turboCompress(handle, m_pixels, *m_turboFormat); });
        tjDestroy(handle);
        printRow("TurboJPEG tjCompress2 (q82, 4:2:0, memory)", m_turbo);
        std::printf("  TurboJPEG output %lu bytes\n", size);
        jpegBreakdown(*m_turboFormat);
    }

    // Where the JPEG write's time goes, to explain its ratio to the raw encoder.
    void jpegBreakdown(int pixelFormat) {
        printHeader("JPEG write, taken apart (same pixels)");
        printRow("QImageWriter to memory (RGB32 in)",
                 measure(m_runs, [&] { encodeToMemory(m_pixels); }));
        QImage rgb888;
        printRow("RGB32 → RGB888 conversion alone", measure(m_runs, [&] {
                     rgb888 = m_pixels.convertToFormat(QImage::Format_RGB888);
                 }));
        printRow("QImageWriter to memory (RGB888 in)",
                 measure(m_runs, [&] { encodeToMemory(rgb888); }));
        const QByteArray encoded = encodeToMemory(m_pixels);
        const QString path = m_home + QStringLiteral("/bench-bytes.jpg");
        printRow("QSaveFile of the encoded bytes (sync, rename)", measure(m_runs, [&] {
                     QSaveFile file(path);
                     file.open(QIODevice::WriteOnly);
                     file.write(encoded);
                     file.commit();
                 }));
        printRow("QFile of the encoded bytes (no sync, no rename)", measure(m_runs, [&] {
                     QFile file(path);
                     file.open(QIODevice::WriteOnly);
                     file.write(encoded);
                 }));
        tjhandle handle = tjInitCompress();
        printRow("TurboJPEG to memory + QSaveFile",
                 measure(m_runs, [&] { turboWrite(handle, m_pixels, pixelFormat, path); }));
        tjDestroy(handle);
    }

    static QByteArray encodeToMemory(const QImage& image) {
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, QByteArrayLiteral("jpeg"));
        writer.setQuality(ScreenCaptureService::jpegQuality);
        writer.write(image);
        return encoded;
    }

    static void turboWrite(tjhandle handle, const QImage& image, int pixelFormat,
                           const QString& path) {
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        tjCompress2(handle, image.constBits(), image.width(),
                    static_cast<int>(image.bytesPerLine()), image.height(), pixelFormat, &jpeg,
                    &size, TJSAMP_420, 82, 0);
        QSaveFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(reinterpret_cast<const char*>(jpeg), static_cast<qint64>(size));
        file.commit();
        tjFree(jpeg);
    }

    // The two targets, each measured as an interleaved pair on the same data.
    void ratios() {
        std::printf("\nRatios (medians of interleaved pairs)\n");
        if (m_turboFormat) {
            tjhandle handle = tjInitCompress();
            int shot = 0;
            const auto [ours, turbo] = measurePair(
                m_runs,
                [&] { m_screens.writeJPEG(m_pixels, QStringLiteral("pair_%1").arg(shot++)); },
                [&] { turboCompress(handle, m_pixels, *m_turboFormat); });
            std::printf("  JPEG write %.3f ms ÷ raw TurboJPEG %.3f ms      = %6.3f   (target ≤ "
                        "1.15)\n",
                        ours.median, turbo.median, ours.median / turbo.median);
            explainJPEG(handle);
            tjDestroy(handle);
        }
        const QJsonObject snapshot = QJsonDocument::fromJson(m_snapshotBytes).object();
        const auto [text, toJson] = measurePair(
            m_runs, [&] { writeTextArtefacts(); }, [&] { QJsonDocument(snapshot).toJson(); },
            [&] { m_clock.advance(std::chrono::seconds(1)); });
        std::printf("  text artefacts %.3f ms ÷ one toJson %.3f ms    = %6.3f   (target ≤ 3.5)\n",
                    text.median, toJson.median, text.median / toJson.median);
        std::printf("    text artefacts: the snapshot file, the capture folder (documents, "
                    "links, rotation, the picture's copy) and the pasteboard\n");
        explainText(snapshot);
    }

    // The same ratio split into the text computed in memory and the files it ends up in.
    void explainText(const QJsonObject& snapshot) {
        const auto [computed, toJson] = measurePair(
            m_runs, [&] { computeTextArtefacts(); }, [&] { QJsonDocument(snapshot).toJson(); });
        std::printf("    computed in memory: encode, both documents, pasteboard %.3f ÷ %.3f = "
                    "%6.3f\n",
                    computed.median, toJson.median, computed.median / toJson.median);
        const QList<QByteArray> files = artefactFiles();
        const auto [written, toJsonAgain] = measurePair(
            m_runs, [&] { writeAtomically(files); }, [&] { QJsonDocument(snapshot).toJson(); });
        std::printf("    file writes alone: the same %lld files' bytes, QSaveFile %.3f ÷ %.3f = "
                    "%6.3f\n",
                    static_cast<long long>(files.size()), written.median, toJsonAgain.median,
                    written.median / toJsonAgain.median);
    }

    CaptureDocumentPaths documentPaths() const {
        return {m_bundle.directory, m_bundle.stableCaptureURL, m_bundle.experimentalCaptureURL,
                m_bundle.screenshotURL, m_accessibilityRecord.fileURL};
    }

    void computeTextArtefacts() {
        m_document.encoded();
        const CaptureDocuments documents(m_clock, m_defaults);
        documents.stableCaptureText(m_accessibilityRecord, documentPaths());
        documents.experimentalCaptureText(m_accessibilityRecord, documentPaths());
        m_pasteboardWriter.writeBundle(m_bundle, m_accessibilityRecord, m_loaded,
                                       BundlePasteboardFormat::claudeCodeV2);
    }

    // What the text artefacts put on disk: the snapshot file, its copy in the folder, both
    // documents and the picture's copy (links and rotation left out).
    QList<QByteArray> artefactFiles() const {
        const CaptureDocuments documents(m_clock, m_defaults);
        QFile picture(m_shot.fileURL.toLocalFile());
        picture.open(QIODevice::ReadOnly);
        return {m_snapshotBytes, m_snapshotBytes,
                documents.stableCaptureText(m_accessibilityRecord, documentPaths()).toUtf8(),
                documents.experimentalCaptureText(m_accessibilityRecord, documentPaths()).toUtf8(),
                picture.readAll()};
    }

    void writeAtomically(const QList<QByteArray>& files) const {
        for (qsizetype index = 0; index < files.size(); ++index) {
            QSaveFile file(m_home + QStringLiteral("/bench-artefact-%1").arg(index));
            file.open(QIODevice::WriteOnly);
            file.write(files[index]);
            file.commit();
        }
    }

    // The same ratio split into the encoder and the file, each against its TurboJPEG twin.
    void explainJPEG(tjhandle handle) {
        const auto [encoder, turbo] = measurePair(
            m_runs, [&] { encodeToMemory(m_pixels); },
            [&] { turboCompress(handle, m_pixels, *m_turboFormat); });
        std::printf("    encoder only: QImageWriter to memory %.3f ÷ %.3f       = %6.3f\n",
                    encoder.median, turbo.median, encoder.median / turbo.median);
        const auto [ours, turboAgain] = measurePair(
            m_runs,
            [&] {
                QBuffer buffer;
                buffer.open(QIODevice::WriteOnly);
                JpegEncoder(ScreenCaptureService::jpegQuality).write(m_pixels, buffer);
            },
            [&] { turboCompress(handle, m_pixels, *m_turboFormat); });
        std::printf("    encoder only: JpegEncoder to memory %.3f ÷ %.3f        = %6.3f\n",
                    ours.median, turboAgain.median, ours.median / turboAgain.median);
        int shot = 0;
        const QString path = m_home + QStringLiteral("/bench-turbo-%1.jpg");
        const auto [writeJPEG, turboFile] = measurePair(
            m_runs, [&] { m_screens.writeJPEG(m_pixels, QStringLiteral("same_%1").arg(shot)); },
            [&] {
                turboWrite(handle, m_pixels, *m_turboFormat, path.arg(shot));
                ++shot;
            });
        std::printf("    same work: JPEG write %.3f ÷ TurboJPEG + QSaveFile %.3f = %6.3f\n",
                    writeJPEG.median, turboFile.median, writeJPEG.median / turboFile.median);
    }

    void writeTextArtefacts() {
        const auto bytes = m_document.encoded();
        QSaveFile file(m_home + QStringLiteral("/bench-snapshot.json"));
        file.open(QIODevice::WriteOnly);
        file.write(bytes.value_or(QByteArray()));
        file.commit();
        m_bundle = m_bundleWriter.write(m_accessibilityRecord, m_shot.fileURL, m_loaded);
        m_pasteboardWriter.writeBundle(m_bundle, m_accessibilityRecord, m_loaded,
                                       BundlePasteboardFormat::claudeCodeV2);
    }

    // Where the text artefacts' time goes.
    void textBreakdown() {
        printHeader("Text artefacts, taken apart");
        printRow("SnapshotDocument::encoded() alone",
                 measure(m_runs, [&] { m_document.encoded(); }));
        const QJsonObject snapshot = QJsonDocument::fromJson(m_snapshotBytes).object();
        printRow("one toJson of the same snapshot (baseline)",
                 measure(m_runs, [&] { QJsonDocument(snapshot).toJson(); }));
        // The snapshot file itself: the newest folder's copy may already have been rotated away.
        const CaptureDocumentPaths paths = documentPaths();
        const CaptureDocuments documents(m_clock, m_defaults);
        printRow("capture.md text (reads and cuts the JSON)", measure(m_runs, [&] {
                     documents.stableCaptureText(m_accessibilityRecord, paths);
                 }));
        printRow("capture1.md text", measure(m_runs, [&] {
                     documents.experimentalCaptureText(m_accessibilityRecord, paths);
                 }));
        const QString json = QString::fromUtf8(m_snapshotBytes);
        printRow("grapheme cut at 120000 clusters alone", measure(m_runs, [&] {
                     SnapshotJsonText::truncated(json, CaptureDocuments::stableJsonClusterLimit);
                 }));
        printRow(
            "folder without the picture",
            measure(
                m_runs,
                [&] { m_bundleWriter.write(m_accessibilityRecord, std::nullopt, std::nullopt); },
                [&] { m_clock.advance(std::chrono::seconds(1)); }));
    }

    QString m_home;
    int m_runs;
    SimDesktop m_desktop;
    Platform m_platform;
    VirtualClock m_clock;
    NotificationCenter m_center;
    MemoryUserDefaults m_defaults;
    SystemPermissionsService m_permissions;
    AccessibilityCaptureService m_accessibility;
    ScreenCaptureService m_screens;
    CaptureBundleWriter m_bundleWriter;
    PasteboardWriter m_pasteboardWriter;
    ClipCoordinator m_coordinator;

    SnapshotNode m_tree;
    SnapshotDocument m_document;
    QByteArray m_snapshotBytes;
    CapturedAccessibility m_accessibilityRecord;
    QImage m_pixels;
    QImage m_loaded;
    std::optional<int> m_turboFormat;
    QUrl m_jpegURL;
    CapturedScreen m_shot;
    CaptureBundle m_bundle;
    int m_nodes = 0;
    Figures m_snapshotFile, m_jpeg, m_folder, m_pasteboard, m_turbo, m_toJson;
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
