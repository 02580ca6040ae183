#include "PngShrinker.h"

#include "mcp/ImageFit.h"
#include "screen/PngEncoder.h"

#include <QImage>
#include <QImageReader>

namespace vantrel {

std::optional<ImageShrinking::Picture> PngShrinker::shrink(const QString& path, int maxEdge) const {
    QImageReader reader(path, "png");
    // Captures are at most 16384 px a side; anything larger is not ours to decode.
    if (!reader.canRead() || reader.size().width() > 16384 || reader.size().height() > 16384)
        return std::nullopt;
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

} // namespace vantrel
