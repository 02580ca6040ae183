#include "PngEncoder.h"

#include <QList>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <zlib.h>

#include <algorithm>

namespace vantrel {

namespace {

constexpr int compressionLevel = 1;
// What common PNG readers (libpng among them) accept by default; a wider picture would be a file
// that agents cannot open.
constexpr int largestSide = 1'000'000;
// About this much raw image per strip: enough for the fastest level to find its runs, and a
// count of strips that keeps both cores busy on a screenshot. It does not depend on the machine,
// so the same picture always gives the same file.
constexpr qsizetype stripBytes = qsizetype(1) << 20;
constexpr qsizetype largestChunk = qsizetype(1) << 24;

struct Strip {
    int firstRow = 0;
    int rowCount = 0;
    bool last = false;
};

struct CompressedStrip {
    QByteArray deflated;
    uLong adler = 1;
    qsizetype rawLength = 0;
    bool ok = false;
};

QImage encodable(const QImage& image) {
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

// One row in PNG's byte order (red, green, blue, then alpha), from words, so the machine's byte
// order does not matter. Not QImage::convertToFormat: that hands big pictures to the global pool
// and waits, which a strip worker must never do (see stripWorkers).
void pngOrderRow(const QRgb* pixels, int width, bool alpha, uchar* out) {
    if (alpha) {
        for (int x = 0; x < width; ++x, out += 4) {
            const QRgb pixel = pixels[x];
            out[0] = uchar(qRed(pixel));
            out[1] = uchar(qGreen(pixel));
            out[2] = uchar(qBlue(pixel));
            out[3] = uchar(qAlpha(pixel));
        }
        return;
    }
    for (int x = 0; x < width; ++x, out += 3) {
        const QRgb pixel = pixels[x];
        out[0] = uchar(qRed(pixel));
        out[1] = uchar(qGreen(pixel));
        out[2] = uchar(qBlue(pixel));
    }
}

// A raw deflate piece that ends on a byte boundary without closing the stream (all but the last
// strip), so the pieces joined in order are one valid stream.
CompressedStrip compress(const QImage& image, bool alpha, const Strip& strip) {
    CompressedStrip result;
    z_stream stream{};
    if (deflateInit2(&stream, compressionLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        return result;
    const int width = image.width();
    const qsizetype lineLength = 1 + qsizetype(width) * (alpha ? 4 : 3);
    // Each scanline starts with its filter type, 0 (none).
    QByteArray line(lineLength, '\0');
    result.rawLength = lineLength * strip.rowCount;
    result.deflated.resize(qsizetype(deflateBound(&stream, uLong(result.rawLength))) + 16);
    stream.next_out = reinterpret_cast<Bytef*>(result.deflated.data());
    stream.avail_out = uInt(result.deflated.size());
    bool ok = true;
    for (int k = 0; k < strip.rowCount && ok; ++k) {
        pngOrderRow(reinterpret_cast<const QRgb*>(image.constScanLine(strip.firstRow + k)), width,
                    alpha, reinterpret_cast<uchar*>(line.data()) + 1);
        result.adler = adler32(result.adler, reinterpret_cast<const Bytef*>(line.constData()),
                               uInt(lineLength));
        stream.next_in = reinterpret_cast<Bytef*>(line.data());
        stream.avail_in = uInt(lineLength);
        const bool lastRow = k + 1 == strip.rowCount;
        const int flush = !lastRow ? Z_NO_FLUSH : strip.last ? Z_FINISH : Z_SYNC_FLUSH;
        const int status = deflate(&stream, flush);
        ok = stream.avail_in == 0 && (flush == Z_FINISH ? status == Z_STREAM_END : status == Z_OK);
    }
    result.deflated.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    result.ok = ok;
    return result;
}

void appendBigEndian(QByteArray& out, quint32 value) {
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

void appendChunk(QByteArray& out, const char type[4], const char* data, qsizetype length) {
    appendBigEndian(out, quint32(length));
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    // A null buffer would restart the checksum instead of adding nothing.
    if (length > 0)
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data), uInt(length));
    out.append(type, 4);
    out.append(data, length);
    appendBigEndian(out, quint32(crc));
}

// The strips' own workers. Encodes wait for their strips, and they run on the global pool
// (start()); were the strips queued there too, as many encodes as workers would each hold one
// and wait for strips that no worker is left to run. Strips wait for nothing.
QThreadPool& stripWorkers() {
    static QThreadPool pool;
    return pool;
}

QList<Strip> strips(int height, qsizetype lineLength) {
    const qsizetype rowsPerStrip = std::max<qsizetype>(1, stripBytes / lineLength);
    QList<Strip> result;
    for (int row = 0; row < height; row += int(rowsPerStrip))
        result.append({row, int(std::min<qsizetype>(rowsPerStrip, height - row)), false});
    result.last().last = true;
    return result;
}

} // namespace

QByteArray PngEncoder::encode(const QImage& image) {
    if (image.isNull() || image.width() > largestSide || image.height() > largestSide)
        return {};
    const QImage pixels = encodable(image);
    if (pixels.isNull())
        return {};
    const bool alpha = pixels.format() == QImage::Format_ARGB32;
    const qsizetype lineLength = 1 + qsizetype(pixels.width()) * (alpha ? 4 : 3);

    const QList<CompressedStrip> pieces = QtConcurrent::blockingMapped(
        &stripWorkers(), strips(pixels.height(), lineLength),
        [&pixels, alpha](const Strip& strip) { return compress(pixels, alpha, strip); });

    // The zlib stream: header (deflate, 32K window, fastest), the pieces, their joint checksum.
    QByteArray zlib("\x78\x01", 2);
    uLong adler = 1;
    for (const CompressedStrip& piece : pieces) {
        if (!piece.ok)
            return {};
        zlib.append(piece.deflated);
        adler = adler32_combine(adler, piece.adler, z_off_t(piece.rawLength));
    }
    appendBigEndian(zlib, quint32(adler));

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    appendBigEndian(header, quint32(pixels.width()));
    appendBigEndian(header, quint32(pixels.height()));
    // Bit depth 8; colour type 6 (RGBA) or 2 (RGB); deflate; adaptive filters; no interlace.
    header.append(alpha ? "\x08\x06\x00\x00\x00" : "\x08\x02\x00\x00\x00", 5);
    appendChunk(png, "IHDR", header.constData(), header.size());
    for (qsizetype at = 0; at < zlib.size(); at += largestChunk)
        appendChunk(png, "IDAT", zlib.constData() + at, std::min(largestChunk, zlib.size() - at));
    appendChunk(png, "IEND", nullptr, 0);
    return png;
}

QFuture<QByteArray> PngEncoder::start(const QImage& image) {
    return QtConcurrent::run(&PngEncoder::encode, image);
}

} // namespace vantrel
