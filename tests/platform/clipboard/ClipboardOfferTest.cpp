#include "platform/clipboard/ClipboardOffer.h"
#include "platform/linux/ClipboardTargets.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vantrel;

// What the server reads back is what the command wrote: a picture that is a view into a wider
// one (an area capture) travels as its own pixels, alpha and all, and its PNG decodes to them.
TEST(ClipboardOffer, ThePayloadFileRoundTrips) {
    QImage wide(40, 5, QImage::Format_ARGB32);
    for (int y = 0; y < wide.height(); ++y)
        for (int x = 0; x < wide.width(); ++x)
            wide.setPixel(x, y, qRgba(x * 6, y * 50, 200, 100 + x));
    ClipboardPayload payload;
    payload.text = QByteArray("text\0with nul", 13);
    payload.image = QImage(wide.constBits() + 8, 7, 5, wide.bytesPerLine(), wide.format());

    const std::string file = ClipboardTargets::offer(payload).encoded();
    std::uint32_t version = 0;
    std::memcpy(&version, file.data() + 4, 4);
    EXPECT_EQ(std::pair(file.substr(0, 4), version), std::pair(std::string("VCLP"), 2u))
        << "the documented header";
    auto decoded = ClipboardOffer::decode(file);
    ASSERT_TRUE(decoded.offer) << decoded.error;
    EXPECT_EQ(decoded.offer->render("text/plain"), std::string("text\0with nul", 13));
    const auto& picture = decoded.offer->picture();
    ASSERT_TRUE(picture);
    ASSERT_EQ(std::pair(picture->width, picture->height), std::pair(7, 5));
    EXPECT_TRUE(picture->alpha);
    QRgb corner = 0;
    std::memcpy(&corner, picture->bytes + 4 * picture->bytesPerRow + 6 * 4, 4);
    EXPECT_EQ(corner, wide.pixel(8, 4));
    const std::string png = decoded.offer->render("image/png").value_or("");
    EXPECT_EQ(QImage::fromData(QByteArray::fromStdString(png), "PNG")
                  .convertToFormat(QImage::Format_ARGB32),
              *payload.image);
}

// A file cut short, with bytes after its end, of another kind or version, or whose targets name
// values it does not hold is refused with what is wrong, never served in part.
TEST(ClipboardOffer, RefusesADamagedFileAndSaysWhy) {
    ClipboardPayload payload;
    payload.text = "hello";
    payload.image = QImage(3, 2, QImage::Format_RGB32);
    const std::string bytes = ClipboardTargets::offer(payload).encoded();
    const unsigned char pixel[4] = {};
    std::string otherVersion = bytes;
    otherVersion[4] = 1;
    const struct {
        const char* name;
        std::string bytes;
        const char* error;
    } cases[] = {
        {"empty", {}, "it is not a clipboard payload of this version"},
        {"another kind", "XCLP" + bytes.substr(4), "it is not a clipboard payload of this version"},
        {"another version", otherVersion, "it is not a clipboard payload of this version"},
        {"cut in the pixels", bytes.substr(0, bytes.size() - 1), "it ends in the picture's pixels"},
        {"cut in a value", bytes.substr(0, 20), "it ends in a value"},
        {"bytes after its end", bytes + "x", "bytes follow its end"},
        {"a value that is not there", ClipboardOffer({}, {{"TEXT", false, 0}}, {}).encoded(),
         "a target has no value"},
        {"a picture that is not there",
         ClipboardOffer({}, {{"image/png", true, ClipboardOffer::pictureValue}}, {}).encoded(),
         "a target has no value"},
        {"a picture of no size",
         ClipboardOffer({}, {}, ClipboardOffer::Picture{0, 2, false, pixel, 0}).encoded(),
         "its picture has no size"},
    };
    for (const auto& c : cases) {
        const auto decoded = ClipboardOffer::decode(c.bytes);
        EXPECT_FALSE(decoded.offer) << c.name;
        EXPECT_EQ(decoded.error, c.error) << c.name;
    }
    ASSERT_TRUE(ClipboardOffer::decode(bytes).offer);
}
