#pragma once

#include <QByteArray>
#include <QFuture>
#include <QImage>

namespace vantrel {

// Encodes a picture as a lossless PNG, tuned for screenshots: interface pictures repeat whole runs
// of pixels, which the fastest deflate level finds without row filters. Strips of rows are
// compressed in parallel and joined into one stream.
struct PngEncoder {
    // Empty when the picture cannot be encoded.
    static QByteArray encode(const QImage& image);
    // encode() on the worker pool, so the file is ready by the time it is written.
    static QFuture<QByteArray> start(const QImage& image);
};

} // namespace vantrel
