#include "PngEncoder.h"

#include <QSysInfo>

#include <png.h>

namespace vantrel {

namespace {

constexpr int compressionLevel = 1;

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));
}

void flushNothing(png_structp) {}

// 32-bit pixels are words 0xAARRGGBB; in memory that is B, G, R, A on little-endian machines.
QImage encodable(const QImage& image) {
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

// No C++ object may live in this frame: libpng reports errors by jumping back to its setjmp.
bool encodeRows(png_structp png, png_infop info, const QImage& image, QByteArray* output) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    const bool alpha = image.format() == QImage::Format_ARGB32;
    png_set_write_fn(png, output, appendBytes, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()),
                 static_cast<png_uint_32>(image.height()), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, compressionLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_write_info(png, info);
    if (QSysInfo::ByteOrder == QSysInfo::LittleEndian)
        png_set_bgr(png);
    else
        png_set_swap_alpha(png);
    if (!alpha)
        png_set_filler(png, 0,
                       QSysInfo::ByteOrder == QSysInfo::LittleEndian ? PNG_FILLER_AFTER
                                                                     : PNG_FILLER_BEFORE);
    for (int row = 0; row < image.height(); ++row)
        png_write_row(png, image.constScanLine(row));
    png_write_end(png, info);
    return true;
}

} // namespace

QByteArray PngEncoder::encode(const QImage& image) {
    if (image.isNull())
        return {};
    const QImage pixels = encodable(image);
    if (pixels.isNull())
        return {};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr)
        return {};
    png_infop info = png_create_info_struct(png);
    QByteArray output;
    // Compressed screenshots land near a tenth of the raw size; reserving that avoids most
    // regrowth.
    output.reserve(static_cast<qsizetype>(pixels.sizeInBytes() / 8));
    const bool written = info != nullptr && encodeRows(png, info, pixels, &output);
    png_destroy_write_struct(&png, &info);
    return written ? output : QByteArray();
}

} // namespace vantrel
