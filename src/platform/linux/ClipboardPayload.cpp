#include "ClipboardPayload.h"

#include "../Pasteboard.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace vantrel {

namespace {

constexpr quint32 magic = 0x56434c50; // "VCLP"
constexpr quint32 version = 1;
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

// Rows go out at the tightest stride, so a view into a larger picture travels as its own pixels.
void writeImage(QDataStream& stream, const QImage& image) {
    const qint64 stride = (qint64(image.width()) * image.depth() + 31) / 32 * 4;
    stream << qint32(image.width()) << qint32(image.height()) << qint32(image.format()) << stride;
    for (int y = 0; y < image.height(); ++y)
        stream.writeRawData(reinterpret_cast<const char*>(image.constScanLine(y)),
                            static_cast<int>(stride));
}

std::optional<QImage> readImage(QDataStream& stream) {
    qint32 width = 0, height = 0, format = 0;
    qint64 stride = 0;
    stream >> width >> height >> format >> stride;
    if (stream.status() != QDataStream::Ok || width <= 0 || height <= 0 ||
        format <= QImage::Format_Invalid || format >= QImage::NImageFormats)
        return std::nullopt;
    QImage image(width, height, static_cast<QImage::Format>(format));
    if (image.isNull() || image.bytesPerLine() != stride)
        return std::nullopt;
    const qsizetype size = image.sizeInBytes();
    if (stream.readRawData(reinterpret_cast<char*>(image.bits()), static_cast<int>(size)) != size)
        return std::nullopt;
    return image;
}

template <class T> void writeOptional(QDataStream& stream, const std::optional<T>& value) {
    stream << value.has_value();
    if (value)
        stream << *value;
}

template <class T> std::optional<T> readOptional(QDataStream& stream) {
    bool present = false;
    stream >> present;
    if (!present)
        return std::nullopt;
    T value;
    stream >> value;
    return value;
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

QByteArray ClipboardPayload::encoded() const {
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_0);
    stream << magic << version << urls;
    writeOptional(stream, text);
    writeOptional(stream, json);
    stream << image.has_value();
    if (image)
        writeImage(stream, *image);
    return bytes;
}

std::optional<ClipboardPayload> ClipboardPayload::decode(const QByteArray& bytes) {
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_6_0);
    quint32 readMagic = 0, readVersion = 0;
    stream >> readMagic >> readVersion;
    if (readMagic != magic || readVersion != version)
        return std::nullopt;
    ClipboardPayload payload;
    stream >> payload.urls;
    payload.text = readOptional<QByteArray>(stream);
    payload.json = readOptional<QByteArray>(stream);
    bool hasImage = false;
    stream >> hasImage;
    if (hasImage) {
        payload.image = readImage(stream);
        if (!payload.image)
            return std::nullopt;
    }
    if (stream.status() != QDataStream::Ok || !stream.atEnd())
        return std::nullopt;
    return payload;
}

} // namespace vantrel
