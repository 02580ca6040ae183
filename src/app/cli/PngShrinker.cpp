#include "PngShrinker.h"

#include "mcp/ImageFit.h"
#include "screen/PngEncoder.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

namespace vantrel {

std::optional<ImageShrinking::Picture> PngShrinker::shrink(const QString& path, int maxEdge) const {
    QImageReader reader(path, "png");
    // Captures are at most 16384 px a side; anything larger is not ours to decode.
    if (!reader.canRead() || reader.size().width() > 16384 || reader.size().height() > 16384)
        return std::nullopt;
    if (auto asItIs = unchanged(path, reader.size(), maxEdge))
        return asItIs;
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    const auto encoded = ImageFit::encodeWithin(image.size(), maxEdge, [&image](QSize size) {
        const QImage scaled = size == image.size() ? image
                                                   : image.scaled(size, Qt::IgnoreAspectRatio,
                                                                  Qt::SmoothTransformation);
        // The captures' own fast encoder: a tool call waits on it.
        return PngEncoder::encode(scaled);
    });
    if (!encoded)
        return std::nullopt;
    return Picture{encoded->bytes, encoded->size, image.size()};
}

std::optional<ImageShrinking::Picture> PngShrinker::unchanged(const QString& path, QSize size,
                                                              int maxEdge) {
    // A capture's PNG that already fits is sent as it is: decoding and encoding it again would
    // only cost the agent time.
    if (ImageFit::fitted(size, maxEdge) != size)
        return std::nullopt;
    QFile file(path);
    if (file.size() > ImageFit::maxEncodedBytes || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (bytes.isEmpty() || bytes.size() > ImageFit::maxEncodedBytes)
        return std::nullopt;
    return Picture{std::move(bytes), size, size};
}

} // namespace vantrel
