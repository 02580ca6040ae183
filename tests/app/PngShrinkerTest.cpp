#include "app/cli/PngShrinker.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

QString writePng(const QTemporaryDir& folder, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(20, 120, 220));
    const QString path = folder.filePath(QStringLiteral("screenshot.png"));
    image.save(path, "png");
    return path;
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

TEST(PngShrinker, SendsAFittingPictureAsItIsAndShrinksALargerOne) {
    QTemporaryDir folder;
    const PngShrinker shrinker;
    struct Case {
        QSize original;
        int maxEdge;
        QSize sent;
    } cases[] = {{{800, 600}, 800, {800, 600}}, {{801, 600}, 800, {800, 599}}};
    for (const Case& c : cases) {
        const QString path = writePng(folder, c.original);
        const auto picture = shrinker.shrink(path, c.maxEdge);
        ASSERT_TRUE(picture.has_value());
        EXPECT_EQ(picture->size, c.sent);
        EXPECT_EQ(picture->original, c.original);
        EXPECT_EQ(QImage::fromData(picture->png, "png").size(), c.sent);
        EXPECT_EQ(picture->png == bytesOf(path), c.sent == c.original);
    }
    QFile notAPicture(folder.filePath(QStringLiteral("capture.md")));
    notAPicture.open(QIODevice::WriteOnly);
    notAPicture.write("# not a picture\n");
    notAPicture.close();
    EXPECT_FALSE(shrinker.shrink(notAPicture.fileName(), 800).has_value());
}
