#include "screen/JpegEncoder.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace vantrel;

namespace {

constexpr int quality = 82;
constexpr int tolerance = 8; // per channel, at the middle of a flat quadrant
const QSize pictureSize(64, 48);
const QColor quadrantColours[] = {QColor(200, 30, 40), QColor(20, 160, 60), QColor(30, 60, 210),
                                  QColor(240, 240, 230)};
const QPoint quadrantMiddles[] = {{16, 12}, {48, 12}, {16, 36}, {48, 36}};

// Four flat quadrants, so the middle of each survives compression nearly unchanged.
QImage quadrants(QImage::Format format) {
    QImage image(pictureSize, QImage::Format_RGB32);
    QPainter painter(&image);
    const int halfWidth = pictureSize.width() / 2, halfHeight = pictureSize.height() / 2;
    for (int quadrant = 0; quadrant < 4; ++quadrant) {
        painter.fillRect((quadrant % 2) * halfWidth, (quadrant / 2) * halfHeight, halfWidth,
                         halfHeight, quadrantColours[quadrant]);
    }
    painter.end();
    return image.convertToFormat(format);
}

// The quadrants drawn inside a wider, taller picture and seen through its lines, as a crop view
// sees a screenshot. Valid while backing lives.
QImage viewWithLongerLines(QImage& backing) {
    backing.fill(Qt::magenta);
    QPainter painter(&backing);
    painter.drawImage(16, 8, quadrants(QImage::Format_RGB32));
    painter.end();
    const uchar* first = backing.constBits() + 8 * backing.bytesPerLine() + 16 * 4;
    return QImage(first, pictureSize.width(), pictureSize.height(), backing.bytesPerLine(),
                  backing.format());
}

QByteArray encoded(const QImage& image) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(JpegEncoder(quality).write(image, buffer));
    return buffer.data();
}

bool near(QColor actual, QColor expected) {
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

TEST(JpegEncoder, DecodesToTheSourceSizeAndColours) {
    QImage backing(96, 80, QImage::Format_RGB32);
    const struct {
        const char* name;
        QImage picture;
    } cases[] = {
        {"RGB32", quadrants(QImage::Format_RGB32)},
        {"ARGB32 premultiplied", quadrants(QImage::Format_ARGB32_Premultiplied)},
        {"RGB32 view with longer lines", viewWithLongerLines(backing)},
        {"RGB888, through Qt's writer", quadrants(QImage::Format_RGB888)},
    };
    for (const auto& c : cases) {
        const QImage decoded = QImage::fromData(encoded(c.picture), "JPEG");
        ASSERT_EQ(decoded.size(), pictureSize) << c.name;
        for (int quadrant = 0; quadrant < 4; ++quadrant) {
            const QColor pixel = decoded.pixelColor(quadrantMiddles[quadrant]);
            EXPECT_TRUE(near(pixel, quadrantColours[quadrant]))
                << c.name << ", quadrant " << quadrant << ": " << pixel.name().toStdString();
        }
    }
}

// Any resolution, in either unit and past one byte, lands in the file as Qt's own writer puts it.
TEST(JpegEncoder, WritesTheBytesOfQtsWriterAtEveryResolution) {
    const std::pair<int, int> dotsPerMetre[] = {
        {3780, 3780}, {11811, 11811}, {10000, 10000}, {3780, 11811}};
    for (const auto& [x, y] : dotsPerMetre) {
        QImage image = quadrants(QImage::Format_RGB32);
        image.setDotsPerMeterX(x);
        image.setDotsPerMeterY(y);
        QBuffer qt;
        qt.open(QIODevice::WriteOnly);
        QImageWriter writer(&qt, "jpeg");
        writer.setQuality(quality);
        ASSERT_TRUE(writer.write(image));
        EXPECT_EQ(encoded(image), qt.data()) << x << " × " << y << " dots per metre";
    }
}

TEST(JpegEncoder, FailsWithoutAPictureOrAWritableDevice) {
    QBuffer readOnly, writable;
    readOnly.open(QIODevice::ReadOnly);
    writable.open(QIODevice::WriteOnly);
    EXPECT_FALSE(JpegEncoder(quality).write(quadrants(QImage::Format_RGB888), readOnly));
    EXPECT_FALSE(JpegEncoder(quality).write(QImage(), writable));
    EXPECT_TRUE(writable.data().isEmpty());
}

} // namespace
