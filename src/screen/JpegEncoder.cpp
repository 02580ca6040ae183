#include "JpegEncoder.h"

#include <QColorSpace>
#include <QImageWriter>
#include <QSysInfo>

#include <turbojpeg.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <optional>

namespace vantrel {

namespace {

// Where TurboJPEG's JFIF segment keeps the resolution, and what precedes it there.
constexpr char jfifLead[] = "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00";
constexpr qsizetype jfifLeadSize = sizeof jfifLead - 1;
constexpr qsizetype densityOffset = 13; // unit, then X and Y, big-endian
constexpr qsizetype densityEnd = densityOffset + 5;

struct Density {
    quint8 unit; // 1: dots per inch, 2: dots per centimetre
    quint16 x, y;
};

// Each pixel is one 0xAARRGGBB word. Like Qt's writer, alpha is dropped as it stands.
std::optional<int> directPixelFormat(const QImage& image) {
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? TJPF_BGRX : TJPF_XRGB;
    default:
        return std::nullopt;
    }
}

// Text and a colour profile go into markers only Qt's writer makes.
bool needsQtMarkers(const QImage& image) {
    return !image.textKeys().isEmpty() || image.colorSpace().isValid();
}

double roundingError(double value) {
    return std::abs(value - qRound(value));
}

// The unit that holds the picture's resolution more exactly, as Qt's writer picks it; the
// fields are 16 bits wide, so larger values wrap as they do there.
Density density(const QImage& image) {
    const int xPerMetre = image.dotsPerMeterX(), yPerMetre = image.dotsPerMeterY();
    const double xInch = xPerMetre * 2.54 / 100., yInch = yPerMetre * 2.54 / 100.;
    const double inchError = roundingError(xInch) + roundingError(yInch);
    const double centimetreError =
        (roundingError(xPerMetre / 100.) + roundingError(yPerMetre / 100.)) * 2.54;
    if (inchError < centimetreError)
        return {1, static_cast<quint16>(qRound(xInch)), static_cast<quint16>(qRound(yInch))};
    return {2, static_cast<quint16>((xPerMetre + 50) / 100),
            static_cast<quint16>((yPerMetre + 50) / 100)};
}

bool setDensity(unsigned char* jpeg, unsigned long size, Density value) {
    if (size < static_cast<unsigned long>(densityEnd) ||
        std::memcmp(jpeg, jfifLead, jfifLeadSize) != 0)
        return false;
    unsigned char* field = jpeg + densityOffset;
    field[0] = value.unit;
    field[1] = static_cast<unsigned char>(value.x >> 8);
    field[2] = static_cast<unsigned char>(value.x & 0xFF);
    field[3] = static_cast<unsigned char>(value.y >> 8);
    field[4] = static_cast<unsigned char>(value.y & 0xFF);
    return true;
}

struct CompressorDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};

struct BufferDeleter {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

} // namespace

bool JpegEncoder::write(const QImage& image, QIODevice& device) const {
    if (const auto pixelFormat = directPixelFormat(image); pixelFormat && !needsQtMarkers(image))
        return writeDirect(image, *pixelFormat, device);
    return writeWithQt(image, device);
}

// The accurate DCT, as Qt's writer uses, keeps the file byte for byte what Qt would write.
bool JpegEncoder::writeDirect(const QImage& image, int pixelFormat, QIODevice& device) const {
    const std::unique_ptr<void, CompressorDeleter> compressor(tjInitCompress());
    if (!compressor)
        return false;
    unsigned char* output = nullptr;
    unsigned long size = 0;
    const int failed = tjCompress2(
        compressor.get(), image.constBits(), image.width(), static_cast<int>(image.bytesPerLine()),
        image.height(), pixelFormat, &output, &size, TJSAMP_420, m_quality, TJFLAG_ACCURATEDCT);
    const std::unique_ptr<unsigned char, BufferDeleter> jpeg(output);
    if (failed != 0 || !setDensity(jpeg.get(), size, density(image)))
        return false;
    const auto length = static_cast<qint64>(size);
    return device.write(reinterpret_cast<const char*>(jpeg.get()), length) == length;
}

bool JpegEncoder::writeWithQt(const QImage& image, QIODevice& device) const {
    QImageWriter writer(&device, QByteArrayLiteral("jpeg"));
    writer.setQuality(m_quality);
    return writer.write(image);
}

} // namespace vantrel
