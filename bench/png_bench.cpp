// The PNG encoder alone, on screenshot-like pictures (an editor: text, sidebar, bars) of 1440×900
// and 2880×1800: our encoder (zlib's fastest level in parallel strips) against libdeflate over
// the whole picture at the lowest level whose file is no larger than ours, and Qt's writer.
// Wall and CPU milliseconds, medians of interleaved runs; ratios against our encoder. Prints
// figures; passes or fails nothing.
//
//   png_bench [RUNS]     (default 25)

#include "screen/PngEncoder.h"

#include <QBuffer>
#include <QFont>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <vector>

using namespace vantrel;

namespace {

constexpr int warmUpRuns = 2;

// Dark editor with a sidebar, a title bar and coloured lines of code, at scale 1 or 2.
QImage editorPicture(int scale) {
    QImage picture(1440 * scale, 900 * scale, QImage::Format_RGB32);
    picture.fill(QColor(0x1e, 0x1e, 0x2e));
    QPainter painter(&picture);
    painter.scale(scale, scale);
    painter.fillRect(QRectF(0, 0, 260, 900), QColor(0x25, 0x25, 0x35));
    painter.fillRect(QRectF(0, 0, 1440, 36), QColor(0x33, 0x33, 0x44));
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(13);
    painter.setFont(mono);
    const QColor inks[] = {{220, 220, 230}, {130, 170, 255}, {200, 150, 250}, {160, 220, 140}};
    const QString code[] = {
        QStringLiteral("QByteArray PngEncoder::encode(const QImage& image) {"),
        QStringLiteral("    if (image.isNull() || image.width() > largestSide)"),
        QStringLiteral("        return {};  // a picture common readers refuse"),
        QStringLiteral("    const QImage pixels = encodable(image);"),
        QStringLiteral("    for (const CompressedStrip& piece : pieces) {"),
        QStringLiteral("}"),
    };
    for (int line = 0; 50 + line * 18 < 900; ++line) {
        painter.setPen(inks[line % 4]);
        painter.drawText(QPointF(280, 50 + line * 18), code[line % 6]);
        painter.setPen(QColor(120, 120, 140));
        painter.drawText(QPointF(10, 50 + line * 18), QStringLiteral("file_%1.cpp").arg(line));
    }
    return picture;
}

void appendBigEndian(QByteArray& out, quint32 value) {
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

void appendChunk(QByteArray& out, const char type[4], const QByteArray& data) {
    appendBigEndian(out, quint32(data.size()));
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()));
    out.append(type, 4);
    out.append(data);
    appendBigEndian(out, quint32(crc));
}

// The same PNG as ours (RGB, no filters), its rows deflated as one buffer by libdeflate.
QByteArray libdeflatePng(const QImage& picture, libdeflate_compressor* compressor) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const qsizetype lineLength = 1 + qsizetype(rgb.width()) * 3;
    QByteArray raw(lineLength * rgb.height(), '\0');
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(raw.data() + y * lineLength + 1, rgb.constScanLine(y), size_t(lineLength - 1));
    QByteArray zlib(qsizetype(libdeflate_zlib_compress_bound(compressor, size_t(raw.size()))),
                    Qt::Uninitialized);
    zlib.resize(qsizetype(libdeflate_zlib_compress(compressor, raw.constData(), size_t(raw.size()),
                                                   zlib.data(), size_t(zlib.size()))));
    QByteArray header;
    appendBigEndian(header, quint32(rgb.width()));
    appendBigEndian(header, quint32(rgb.height()));
    header.append("\x08\x02\x00\x00\x00", 5);
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", zlib);
    appendChunk(png, "IEND", {});
    return png;
}

QByteArray qtPng(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(picture);
    return bytes;
}

struct Timing {
    std::vector<double> wall, cpu;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs every encoder once per round, in an order that rotates, so load falls on all alike.
std::vector<Timing> measure(int runs, const std::vector<std::function<void()>>& encoders) {
    std::vector<Timing> timings(encoders.size());
    for (int run = 0; run < warmUpRuns + runs; ++run) {
        for (size_t k = 0; k < encoders.size(); ++k) {
            const size_t which = (k + size_t(run)) % encoders.size();
            const std::clock_t cpuStart = std::clock();
            const auto start = std::chrono::steady_clock::now();
            encoders[which]();
            const auto end = std::chrono::steady_clock::now();
            const std::clock_t cpuEnd = std::clock();
            if (run < warmUpRuns)
                continue;
            timings[which].wall.push_back(
                std::chrono::duration<double, std::milli>(end - start).count());
            timings[which].cpu.push_back(1000.0 * double(cpuEnd - cpuStart) / CLOCKS_PER_SEC);
        }
    }
    return timings;
}

bool decodesTo(const QByteArray& png, const QImage& picture) {
    return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32) == picture;
}

void benchPicture(int scale, int runs) {
    const QImage picture = editorPicture(scale);
    const QByteArray ours = PngEncoder::encode(picture);
    // The lowest libdeflate level whose file is no larger than ours.
    constexpr int highestLevel = 12;
    int level = 1;
    QByteArray theirs;
    for (;; ++level) {
        libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
        theirs = libdeflatePng(picture, compressor);
        libdeflate_free_compressor(compressor);
        if (theirs.size() <= ours.size() || level == highestLevel)
            break;
    }
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
    QByteArray qts;
    const std::vector<Timing> timings =
        measure(runs, {[&] { PngEncoder::encode(picture); },
                       [&] { theirs = libdeflatePng(picture, compressor); },
                       [&] { qts = qtPng(picture); }});
    libdeflate_free_compressor(compressor);

    std::printf("\n%d×%d editor picture, %d runs\n", picture.width(), picture.height(), runs);
    std::printf("  %-40s %9s %9s %10s %8s %8s\n", "encoder", "wall ms", "CPU ms", "bytes", "÷ ours",
                "lossless");
    const char* names[] = {"PngEncoder (zlib 1, parallel strips)", "libdeflate, whole picture",
                           "QImageWriter, default settings"};
    const QByteArray* files[] = {&ours, &theirs, &qts};
    const double base = median(timings[0].wall);
    for (size_t k = 0; k < timings.size(); ++k) {
        std::printf("  %-40s %9.2f %9.2f %10lld %8.2f %8s\n", names[k], median(timings[k].wall),
                    median(timings[k].cpu), static_cast<long long>(files[k]->size()),
                    median(timings[k].wall) / base, decodesTo(*files[k], picture) ? "yes" : "NO");
    }
    std::printf("  libdeflate level %d (the lowest no larger than ours); libdeflate ÷ PngEncoder "
                "= %.2f wall, %.2f CPU\n",
                level, median(timings[1].wall) / base,
                median(timings[1].cpu) / median(timings[0].cpu));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 25;
    benchPicture(1, runs);
    benchPicture(2, runs);
    return 0;
}
