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

QByteArray encodedByQt(const QImage& image) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image));
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
        {"ARGB32", quadrants(QImage::Format_ARGB32)},
        {"ARGB32 premultiplied", quadrants(QImage::Format_ARGB32_Premultiplied)},
        {"RGB32 view with longer lines", viewWithLongerLines(backing)},
        {"RGB888, through Qt's writer", quadrants(QImage::Format_RGB888)},
        {"RGB16, through Qt's writer", quadrants(QImage::Format_RGB16)},
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

// Switching encoders must not change a screenshot file.
TEST(JpegEncoder, WritesWhatQtsWriterWrites) {
    QImage backing(96, 80, QImage::Format_RGB32);
    QImage detailed = quadrants(QImage::Format_RGB32);
    for (int x = 0; x < detailed.width(); ++x)
        detailed.setPixel(x, x % detailed.height(), qRgb(x * 4, 255 - x * 3, x * 7 % 256));
    const struct {
        const char* name;
        QImage picture;
    } cases[] = {
        {"RGB32", detailed},
        {"ARGB32", detailed.convertToFormat(QImage::Format_ARGB32)},
        {"ARGB32 premultiplied", detailed.convertToFormat(QImage::Format_ARGB32_Premultiplied)},
        {"RGB32 view with longer lines", viewWithLongerLines(backing)},
        {"RGB888", detailed.convertToFormat(QImage::Format_RGB888)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encoded(c.picture), encodedByQt(c.picture)) << c.name;
}

TEST(JpegEncoder, RecordsTheResolutionAsQtsWriterDoes) {
    const struct {
        const char* name;
        int dotsPerMetre; // 0: the picture's default
    } cases[] = {{"default", 0}, {"144 dpi", 5669}, {"40 dots per cm", 4000}, {"tiny", 1}};
    for (const auto& c : cases) {
        QImage picture = quadrants(QImage::Format_RGB32);
        if (c.dotsPerMetre > 0) {
            picture.setDotsPerMeterX(c.dotsPerMetre);
            picture.setDotsPerMeterY(c.dotsPerMetre);
        }
        const QImage ours = QImage::fromData(encoded(picture), "JPEG");
        const QImage qts = QImage::fromData(encodedByQt(picture), "JPEG");
        EXPECT_EQ(ours.dotsPerMeterX(), qts.dotsPerMeterX()) << c.name;
        EXPECT_EQ(ours.dotsPerMeterY(), qts.dotsPerMeterY()) << c.name;
    }
}

TEST(JpegEncoder, FailsWithoutAPictureOrAWritableDevice) {
    const struct {
        const char* name;
        QImage picture;
        QIODevice::OpenMode mode;
    } cases[] = {
        {"null picture", QImage(), QIODevice::WriteOnly},
        {"RGB32 into a read-only device", quadrants(QImage::Format_RGB32), QIODevice::ReadOnly},
        {"RGB888 into a read-only device", quadrants(QImage::Format_RGB888), QIODevice::ReadOnly},
    };
    for (const auto& c : cases) {
        QBuffer buffer;
        buffer.open(c.mode);
        EXPECT_FALSE(JpegEncoder(quality).write(c.picture, buffer)) << c.name;
    }
}

} // namespace
