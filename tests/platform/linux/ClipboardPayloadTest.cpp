#include "platform/linux/ClipboardPayload.h"
#include "platform/Pasteboard.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

QImage pattern() {
    QImage image(7, 5, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 30, y * 50, 200, 100 + x));
    }
    return image;
}

} // namespace

// The flattening: URLs keep their order across items, the first image and text win, text is
// offered as the very bytes the pasteboard holds. What the X clipboard then offers is checked on
// the desktop.
TEST(ClipboardPayload, FlattensThePasteboardAsTheClipboardOffersIt) {
    Pasteboard pasteboard;
    const QUrl first = QUrl::fromLocalFile("/tmp/a b/capture.md");
    const QUrl second = QUrl::fromLocalFile("/tmp/screenshot.png");
    pasteboard.writeObjects({first, pattern(), second, QImage(2, 2, QImage::Format_RGB32)});
    pasteboard.setString("Ünïcode text", Pasteboard::plainTextType);
    pasteboard.setData("{\"a\":1}", Pasteboard::jsonType);

    const ClipboardPayload payload = ClipboardPayload::fromPasteboard(pasteboard);
    EXPECT_EQ(payload.urls, (QList<QUrl>{first, second}));
    ASSERT_TRUE(payload.image);
    EXPECT_EQ(payload.image->size(), QSize(7, 5));
    EXPECT_EQ(payload.text, QString("Ünïcode text").toUtf8());
    EXPECT_EQ(payload.json, QByteArray("{\"a\":1}"));

    EXPECT_TRUE(ClipboardPayload::fromPasteboard(Pasteboard()).isEmpty());
}
