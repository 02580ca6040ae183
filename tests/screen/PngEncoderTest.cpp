#include "screen/PngEncoder.h"
#include "support/WaitUntil.h"

#include <QThreadPool>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

// Pixels that differ along both axes, so a row or strip out of place shows.
QImage gradient(int width, int height, QImage::Format format) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x * 7, y * 13, (x ^ y) & 0xff, 255 - (x + y) % 200));
    return image.convertToFormat(format);
}

} // namespace

// Strips are about 1 MiB of raw rows: an 1000 × 700 RGB picture (3001-byte rows, 349 rows a
// strip) ends in a strip of two rows; every case decodes to exactly the pixels given.
TEST(PngEncoder, DecodesToThePixelsGivenWhateverTheirLayoutAndStrips) {
    const QImage wide = gradient(600, 40, QImage::Format_RGB32);
    // A crop seen through the lines of the larger picture: rows shorter than the stride.
    const QImage crop(wide.constScanLine(3) + 5 * 4, 300, 31, wide.bytesPerLine(),
                      QImage::Format_RGB32);
    const struct {
        const char* name;
        QImage picture;
    } cases[] = {
        {"opaque, one strip", gradient(5, 3, QImage::Format_RGB32)},
        {"translucent", gradient(9, 7, QImage::Format_ARGB32)},
        {"premultiplied", gradient(9, 7, QImage::Format_ARGB32_Premultiplied)},
        {"crop", crop},
        {"uneven strips", gradient(1000, 700, QImage::Format_RGB32)},
        {"uneven strips with alpha", gradient(1000, 525, QImage::Format_ARGB32)},
        {"one row wider than a strip", gradient(300'000, 1, QImage::Format_RGB32)},
    };
    for (const auto& [name, picture] : cases) {
        SCOPED_TRACE(name);
        const QByteArray png = PngEncoder::encode(picture);
        const QImage decoded = QImage::fromData(png, "PNG");
        const QImage::Format format =
            picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
        ASSERT_EQ(decoded.size(), picture.size());
        EXPECT_EQ(decoded.convertToFormat(format), picture.convertToFormat(format));
        EXPECT_EQ(PngEncoder::encode(picture), png) << "the same pixels, the same file";
    }
}

// As many encodes at once as the pool has workers all finish: the strips of one never wait for a
// worker that another holds while it waits for its own strips.
TEST(PngEncoder, AsManyEncodesAtOnceAsWorkersAllFinish) {
    const QImage picture = gradient(1000, 700, QImage::Format_RGB32); // three strips
    QList<QFuture<QByteArray>> encodes;
    for (int k = 0; k < std::max(2, QThreadPool::globalInstance()->maxThreadCount()); ++k)
        encodes.append(PngEncoder::start(picture));
    for (const QFuture<QByteArray>& encode : std::as_const(encodes))
        ASSERT_TRUE(vantrel::testing::waitUntil([&encode] { return encode.isFinished(); }));
    const QByteArray png = PngEncoder::encode(picture);
    for (const QFuture<QByteArray>& encode : std::as_const(encodes))
        EXPECT_EQ(encode.result(), png);
}

TEST(PngEncoder, RefusesWhatCommonReadersRefuse) {
    constexpr int largestSide = 1'000'000;
    const std::pair<QSize, bool> cases[] = {{{largestSide, 1}, true},
                                            {{largestSide + 1, 1}, false},
                                            {{1, largestSide}, true},
                                            {{1, largestSide + 1}, false},
                                            {{0, 0}, false}};
    for (const auto& [size, encodes] : cases) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::white);
        EXPECT_EQ(!PngEncoder::encode(picture).isEmpty(), encodes) << size.width();
    }
}
