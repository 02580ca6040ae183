#include "ClipboardPayload.h"

#include "../Pasteboard.h"
#include "ClipboardTargets.h"

#include <QMimeData>

namespace vantrel {

namespace {

const QString plainTextUtf8 = QStringLiteral("text/plain;charset=utf-8");
const QString jsonMime = QStringLiteral("application/json");

QByteArray bytesOf(const Pasteboard::Representation& representation) {
    if (const auto* text = std::get_if<QString>(&representation))
        return text->toUtf8();
    if (const auto* data = std::get_if<QByteArray>(&representation))
        return *data;
    return {};
}

// Every item gives what it holds; one value per type, the first one wins.
void take(ClipboardPayload& payload, const QString& type,
          const Pasteboard::Representation& representation) {
    if (type == Pasteboard::fileURLType) {
        if (const auto* url = std::get_if<QUrl>(&representation))
            payload.urls.append(*url);
    } else if (type == Pasteboard::imageType) {
        if (const auto* image = std::get_if<QImage>(&representation); image && !payload.image)
            payload.image = *image;
    } else if (type == Pasteboard::plainTextType) {
        if (!payload.text)
            payload.text = bytesOf(representation);
    } else if (type == Pasteboard::jsonType) {
        if (!payload.json)
            payload.json = bytesOf(representation);
    }
}

} // namespace

ClipboardPayload ClipboardPayload::fromPasteboard(const Pasteboard& pasteboard) {
    ClipboardPayload payload;
    for (const Pasteboard::Item& item : pasteboard.items()) {
        for (const auto& [type, representation] : item.representations)
            take(payload, type, representation);
    }
    return payload;
}

QMimeData* ClipboardPayload::toMimeData() const {
    auto* mime = new QMimeData;
    if (!urls.isEmpty())
        mime->setUrls(urls);
    if (text) {
        mime->setData(plainTextUtf8, *text);
        // The xcb plugin offers UTF8_STRING, STRING and TEXT from this one.
        mime->setText(QString::fromUtf8(*text));
    }
    if (json)
        mime->setData(jsonMime, *json);
    if (image)
        mime->setImageData(*image);
    return mime;
}

std::string ClipboardPayload::encoded() const {
    return ClipboardTargets::offer(*this).encoded();
}

} // namespace vantrel
