#include "RgbPngEncoder.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

namespace vantrel {

namespace {

constexpr int compressionLevel = 1;
// What common PNG readers (libpng among them) accept by default; a wider picture would be a file
// that agents cannot open.
constexpr int largestSide = 1'000'000;
// About this much raw image per strip: enough for the fastest level to find its runs, and a
// count of strips that keeps both cores busy on a screenshot.
constexpr std::size_t stripBytes = std::size_t(1) << 20;
constexpr std::size_t largestChunk = std::size_t(1) << 24;

struct PngStrip {
    int firstRow = 0;
    int rowCount = 0;
    bool last = false;
};

struct CompressedStrip {
    std::string deflated;
    uLong adler = 1;
    std::size_t rawLength = 0;
    bool ok = false;
};

// One row in PNG's byte order (red, green, blue, then alpha), from words, so the machine's byte
// order does not matter.
void pngOrderRow(const unsigned char* pixels, int width, bool alpha, unsigned char* out) {
    for (int x = 0; x < width; ++x) {
        std::uint32_t pixel;
        std::memcpy(&pixel, pixels + std::size_t(x) * 4, 4);
        *out++ = static_cast<unsigned char>(pixel >> 16);
        *out++ = static_cast<unsigned char>(pixel >> 8);
        *out++ = static_cast<unsigned char>(pixel);
        if (alpha)
            *out++ = static_cast<unsigned char>(pixel >> 24);
    }
}

// A raw deflate piece that ends on a byte boundary without closing the stream (all but the last
// strip), so the pieces joined in order are one valid stream.
CompressedStrip compress(const RgbPixels& pixels, const PngStrip& strip) {
    CompressedStrip result;
    z_stream stream{};
    if (deflateInit2(&stream, compressionLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        return result;
    const std::size_t lineLength = 1 + std::size_t(pixels.width) * (pixels.alpha ? 4 : 3);
    // Each scanline starts with its filter type, 0 (none).
    std::vector<unsigned char> line(lineLength, 0);
    result.rawLength = lineLength * std::size_t(strip.rowCount);
    result.deflated.resize(deflateBound(&stream, uLong(result.rawLength)) + 16);
    stream.next_out = reinterpret_cast<Bytef*>(result.deflated.data());
    stream.avail_out = uInt(result.deflated.size());
    bool ok = true;
    for (int k = 0; k < strip.rowCount && ok; ++k) {
        pngOrderRow(pixels.bytes + std::size_t(strip.firstRow + k) * pixels.bytesPerRow,
                    pixels.width, pixels.alpha, line.data() + 1);
        result.adler = adler32(result.adler, line.data(), uInt(lineLength));
        stream.next_in = line.data();
        stream.avail_in = uInt(lineLength);
        const bool lastRow = k + 1 == strip.rowCount;
        const int flush = !lastRow ? Z_NO_FLUSH : strip.last ? Z_FINISH : Z_SYNC_FLUSH;
        const int status = deflate(&stream, flush);
        ok = stream.avail_in == 0 && (flush == Z_FINISH ? status == Z_STREAM_END : status == Z_OK);
    }
    result.deflated.resize(stream.total_out);
    deflateEnd(&stream);
    result.ok = ok;
    return result;
}

void appendBigEndian(std::string& out, std::uint32_t value) {
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

void appendChunk(std::string& out, const char type[4], const char* data, std::size_t length) {
    appendBigEndian(out, std::uint32_t(length));
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    // A null buffer would restart the checksum instead of adding nothing.
    if (length > 0)
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data), uInt(length));
    out.append(type, 4);
    out.append(data, length);
    appendBigEndian(out, std::uint32_t(crc));
}

std::vector<PngStrip> stripsOf(int height, std::size_t lineLength) {
    const int rowsPerStrip = int(std::max<std::size_t>(1, stripBytes / lineLength));
    std::vector<PngStrip> result;
    for (int row = 0; row < height; row += rowsPerStrip)
        result.push_back({row, std::min(rowsPerStrip, height - row), false});
    result.back().last = true;
    return result;
}

// Every strip compressed, on this thread and as many more as there are cores. Each encode has
// threads of its own: encodes that waited on a shared pool for their strips could hold all of its
// workers and wait forever.
std::vector<CompressedStrip> compressAll(const RgbPixels& pixels,
                                         const std::vector<PngStrip>& strips) {
    std::vector<CompressedStrip> pieces(strips.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t index; (index = next++) < strips.size();)
            pieces[index] = compress(pixels, strips[index]);
    };
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> helpers;
    try {
        while (helpers.size() + 1 < std::min(cores, strips.size()))
            helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer threads than cores: this one still takes whatever strips are left.
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
    return pieces;
}

} // namespace

std::string RgbPngEncoder::encode(const RgbPixels& pixels) {
    if (!pixels.bytes || pixels.width <= 0 || pixels.height <= 0 || pixels.width > largestSide ||
        pixels.height > largestSide || pixels.bytesPerRow < std::size_t(pixels.width) * 4)
        return {};
    const std::size_t lineLength = 1 + std::size_t(pixels.width) * (pixels.alpha ? 4 : 3);
    const std::vector<CompressedStrip> pieces =
        compressAll(pixels, stripsOf(pixels.height, lineLength));

    // The zlib stream: header (deflate, 32K window, fastest), the pieces, their joint checksum.
    std::string zlib("\x78\x01", 2);
    uLong adler = 1;
    for (const CompressedStrip& piece : pieces) {
        if (!piece.ok)
            return {};
        zlib += piece.deflated;
        adler = adler32_combine(adler, piece.adler, z_off_t(piece.rawLength));
    }
    appendBigEndian(zlib, std::uint32_t(adler));

    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    appendBigEndian(header, std::uint32_t(pixels.width));
    appendBigEndian(header, std::uint32_t(pixels.height));
    // Bit depth 8; colour type 6 (RGBA) or 2 (RGB); deflate; adaptive filters; no interlace.
    header.append(pixels.alpha ? "\x08\x06\x00\x00\x00" : "\x08\x02\x00\x00\x00", 5);
    appendChunk(png, "IHDR", header.data(), header.size());
    for (std::size_t at = 0; at < zlib.size(); at += largestChunk)
        appendChunk(png, "IDAT", zlib.data() + at, std::min(largestChunk, zlib.size() - at));
    appendChunk(png, "IEND", nullptr, 0);
    return png;
}

} // namespace vantrel
