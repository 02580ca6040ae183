#include "ClipboardTargets.h"

#include <QString>

#include <algorithm>
#include <memory>

namespace vantrel {

namespace {

// The text a plain-text target carries: the payload's text, else its URLs one per line, as
// receivers that only read text got them before.
std::optional<QByteArray> plainTextOf(const ClipboardPayload& payload) {
    if (payload.text)
        return payload.text;
    if (payload.urls.isEmpty())
        return std::nullopt;
    QStringList lines;
    for (const QUrl& url : payload.urls)
        lines.append(url.toDisplayString());
    return lines.join(u'\n').toUtf8();
}

std::optional<QByteArray> uriListOf(const ClipboardPayload& payload) {
    if (payload.urls.isEmpty())
        return std::nullopt;
    QByteArray list;
    for (const QUrl& url : payload.urls)
        list += url.toEncoded() + "\r\n";
    return list;
}

// Mozilla's own type: the first URL and a newline, in UTF-16.
std::optional<QByteArray> mozillaUrlOf(const ClipboardPayload& payload) {
    if (payload.urls.isEmpty())
        return std::nullopt;
    const QString line = QString::fromUtf8(payload.urls.first().toEncoded()) + u'\n';
    return QByteArray(reinterpret_cast<const char*>(line.utf16()), line.size() * 2);
}

// ICCCM's STRING (and TEXT, answered as STRING) is Latin-1.
std::optional<QByteArray> latin1Of(const ClipboardPayload& payload) {
    const auto text = plainTextOf(payload);
    if (!text)
        return std::nullopt;
    return QString::fromUtf8(*text).toLatin1();
}

std::optional<QByteArray> utf8TextOf(const ClipboardPayload& payload) {
    return payload.text;
}

std::optional<QByteArray> jsonOf(const ClipboardPayload& payload) {
    return payload.json;
}

constexpr char pngTarget[] = "image/png";

// The one place the payload meets the clipboards' names: the X11 target, whether Wayland is
// offered the MIME type of the same name (not X11's own Latin-1 encodings, which Wayland
// receivers never ask for: they ask in MIME types, and GNOME derives an Xwayland client's X11 text
// targets from text/plain;charset=utf-8), and the payload's value for both.
struct ClipboardTargetRule {
    const char* name;
    bool onWayland;
    std::optional<QByteArray> (*render)(const ClipboardPayload&);
};
const ClipboardTargetRule clipboardTargetRules[] = {
    {"text/uri-list", true, uriListOf},
    {"text/x-moz-url", true, mozillaUrlOf},
    {"text/plain;charset=utf-8", true, utf8TextOf},
    {"text/plain", true, plainTextOf},
    {"UTF8_STRING", true, plainTextOf},
    {"STRING", false, latin1Of},
    {"TEXT", false, latin1Of},
    {"application/json", true, jsonOf},
};

// The picture in one of the two formats the server's encoder takes (a shallow copy when it is
// already), viewed where it is; none when it cannot be converted.
std::optional<ClipboardOffer::Picture> pictureOf(const std::shared_ptr<const QImage>& pixels) {
    if (pixels->isNull())
        return std::nullopt;
    return ClipboardOffer::Picture{pixels->width(), pixels->height(),
                                   pixels->format() == QImage::Format_ARGB32, pixels->constBits(),
                                   std::size_t(pixels->bytesPerLine())};
}

} // namespace

ClipboardOffer ClipboardTargets::offer(const ClipboardPayload& payload) {
    std::vector<std::string> values;
    std::vector<ClipboardOffer::Target> targets;
    for (const ClipboardTargetRule& rule : clipboardTargetRules) {
        const std::optional<QByteArray> value = rule.render(payload);
        if (!value)
            continue;
        // The same text under several names travels once.
        const std::string bytes = value->toStdString();
        auto found = std::find(values.begin(), values.end(), bytes);
        if (found == values.end())
            found = values.insert(values.end(), bytes);
        targets.push_back({rule.name, rule.onWayland, std::uint32_t(found - values.begin())});
    }
    std::optional<ClipboardOffer::Picture> picture;
    std::shared_ptr<const QImage> pixels;
    if (payload.image) {
        pixels = std::make_shared<const QImage>(payload.image->convertToFormat(
            payload.image->hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32));
        picture = pictureOf(pixels);
    }
    if (picture)
        targets.push_back({pngTarget, true, ClipboardOffer::pictureValue});
    return ClipboardOffer(std::move(values), std::move(targets), picture, std::move(pixels));
}

} // namespace vantrel
