#include "platform/linux/ClipboardTargets.h"
#include "screen/PngEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vantrel;

namespace {

ClipboardPayload everyPart() {
    ClipboardPayload payload;
    payload.urls = {QUrl::fromLocalFile("/tmp/a b/capture.md"), QUrl::fromLocalFile("/tmp/s.png")};
    payload.text = QString("Ünïcode → text").toUtf8();
    payload.json = "{\"a\":1}";
    QImage image(5, 3, QImage::Format_RGB32);
    image.fill(qRgb(10, 200, 30));
    payload.image = image;
    return payload;
}

} // namespace

// Each target and the value it carries, for a payload with every part and for the parts alone:
// URLs stand in for plain text when there is none, STRING is Latin-1, the picture is the
// encoder's PNG, and a target without a value is neither listed nor answered; on Wayland the
// same, less X11's own Latin-1 targets. The offer is the server's, read back from its file.
TEST(ClipboardTargets, OffersEachPartUnderItsTargets) {
    const ClipboardPayload full = everyPart();
    const QByteArray latin1 = QString("Ünïcode → text").toLatin1();
    const QByteArray uriList = "file:///tmp/a%20b/capture.md\r\nfile:///tmp/s.png\r\n";
    const QString moz = "file:///tmp/a%20b/capture.md\n";
    const QByteArray mozUtf16(reinterpret_cast<const char*>(moz.utf16()), moz.size() * 2);
    ClipboardPayload urlsOnly;
    urlsOnly.urls = full.urls;
    ClipboardPayload imageOnly;
    imageOnly.image = full.image;
    const QByteArray urlLines = "file:///tmp/a b/capture.md\nfile:///tmp/s.png";

    using Values = QList<std::pair<QByteArray, QByteArray>>;
    const struct {
        const char* name;
        ClipboardPayload payload;
        Values values;
    } cases[] = {
        {"every part",
         full,
         {{"text/uri-list", uriList},
          {"text/x-moz-url", mozUtf16},
          {"text/plain;charset=utf-8", *full.text},
          {"text/plain", *full.text},
          {"UTF8_STRING", *full.text},
          {"STRING", latin1},
          {"TEXT", latin1},
          {"application/json", *full.json},
          {"image/png", PngEncoder::encode(*full.image)}}},
        {"URLs only",
         urlsOnly,
         {{"text/uri-list", uriList},
          {"text/x-moz-url", mozUtf16},
          {"text/plain", urlLines},
          {"UTF8_STRING", urlLines},
          {"STRING", urlLines},
          {"TEXT", urlLines}}},
        {"picture only", imageOnly, {{"image/png", PngEncoder::encode(*full.image)}}},
        {"nothing", ClipboardPayload{}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = ClipboardTargets::offer(c.payload).encoded();
        auto decoded = ClipboardOffer::decode(file);
        ASSERT_TRUE(decoded.offer) << decoded.error;
        ClipboardOffer& targets = *decoded.offer;
        std::vector<std::string> names;
        for (const auto& [name, value] : c.values) {
            names.push_back(name.toStdString());
            EXPECT_EQ(targets.render(name.toStdString()), value.toStdString()) << name.constData();
        }
        EXPECT_EQ(targets.names(), names);
        // Wayland: the same values under the same names, without X11's Latin-1 encodings.
        std::vector<std::string> mimeTypes = names;
        std::erase(mimeTypes, "STRING");
        std::erase(mimeTypes, "TEXT");
        EXPECT_EQ(targets.mimeTypes(), mimeTypes);
        for (const std::string& type : mimeTypes)
            EXPECT_EQ(targets.renderMimeType(type), targets.render(type)) << type;
        for (const char* x11Only : {"STRING", "TEXT", "TARGETS"})
            EXPECT_FALSE(targets.renderMimeType(x11Only)) << x11Only;
        for (const char* absent :
             {"text/plain;charset=utf-8", "image/png", "TARGETS", "image/bmp"}) {
            if (std::ranges::find(names, absent) == names.end()) {
                EXPECT_FALSE(targets.render(absent)) << absent;
            }
        }
    }
    ASSERT_FALSE(PngEncoder::encode(*full.image).isEmpty());
}

// A picture the encoder refuses is not offered as an empty PNG.
TEST(ClipboardTargets, APictureTheEncoderRefusesIsNotServed) {
    ClipboardPayload payload;
    payload.image = QImage(1'000'001, 1, QImage::Format_Mono);
    ClipboardOffer targets = ClipboardTargets::offer(payload);
    EXPECT_FALSE(targets.render("image/png"));
    EXPECT_FALSE(targets.renderMimeType("image/png"));
}
