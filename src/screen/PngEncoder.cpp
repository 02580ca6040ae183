#include "PngEncoder.h"

#include "png/RgbPngEncoder.h"

#include <QtConcurrent/QtConcurrentRun>

namespace vantrel {

namespace {

QImage encodable(const QImage& image) {
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

} // namespace

QByteArray PngEncoder::encode(const QImage& image) {
    if (image.isNull())
        return {};
    const QImage pixels = encodable(image);
    if (pixels.isNull())
        return {};
    const std::string png = RgbPngEncoder::encode(
        {pixels.constBits(), pixels.width(), pixels.height(), std::size_t(pixels.bytesPerLine()),
         pixels.format() == QImage::Format_ARGB32});
    return QByteArray(png.data(), qsizetype(png.size()));
}

QFuture<QByteArray> PngEncoder::start(const QImage& image) {
    return QtConcurrent::run(&PngEncoder::encode, image);
}

} // namespace vantrel
