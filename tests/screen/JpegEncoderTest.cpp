#include "screen/JpegEncoder.h"
#include "ScreenTestSupport.h"

#include <QBuffer>
#include <QColorSpace>
#include <QPainter>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

constexpr int quality = 82;
const QSize pictureSize(64, 48);

QImage quadrants(QImage::Format format) {
    QImage image(pictureSize, QImage::Format_RGB32);
    QPainter painter(&image);
    const QColor colours[] = {QColor(200, 30, 40), QColor(20, 160, 60), QColor(30, 60, 210),
                              QColor(240, 240, 230)};
    const int halfWidth = pictureSize.width() / 2, halfHeight = pictureSize.height() / 2;
    for (int quadrant = 0; quadrant < 4; ++quadrant) {
        painter.fillRect((quadrant % 2) * halfWidth, (quadrant / 2) * halfHeight, halfWidth,
                         halfHeight, colours[quadrant]);
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

// Every pixel format, through a view whose lines are longer than its width, and any resolution
// in either unit and past one byte, lands in the file byte for byte as Qt's own writer puts it.
TEST(JpegEncoder, WritesTheBytesOfQtsWriter) {
    QImage backing(96, 80, QImage::Format_RGB32);
    QList<QImage> pictures{quadrants(QImage::Format_RGB32),
                           quadrants(QImage::Format_ARGB32_Premultiplied),
                           viewWithLongerLines(backing), quadrants(QImage::Format_RGB888)};
    const std::pair<int, int> dotsPerMetre[] = {
        {3780, 3780}, {11811, 11811}, {10000, 10000}, {3780, 11811}};
    for (const auto& [x, y] : dotsPerMetre) {
        pictures.append(quadrants(QImage::Format_RGB32));
        pictures.last().setDotsPerMeterX(x);
        pictures.last().setDotsPerMeterY(y);
    }
    // Text or a colour profile, each alone, needs the markers only Qt's writer makes.
    pictures.append(quadrants(QImage::Format_RGB32));
    pictures.last().setText("Title", "Inbox");
    pictures.append(quadrants(QImage::Format_RGB32));
    pictures.last().setColorSpace(QColorSpace::SRgb);
    for (const QImage& picture : pictures) {
        SCOPED_TRACE(::testing::Message() << picture.format() << ", " << picture.dotsPerMeterX()
                                          << " × " << picture.dotsPerMeterY() << " dpm");
        EXPECT_EQ(encoded(picture), vantrel::testing::qtJpeg(picture));
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
