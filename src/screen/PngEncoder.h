#pragma once

#include <QByteArray>
#include <QImage>

namespace vantrel {

// Encodes a picture as a lossless PNG, tuned for screenshots: interface pictures repeat whole runs
// of pixels, which the fastest deflate level finds without row filters. Strips of rows are
// compressed in parallel and joined into one stream.
struct PngEncoder {
    // Empty when the picture cannot be encoded.
    static QByteArray encode(const QImage& image);
};

} // namespace vantrel
