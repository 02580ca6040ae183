#pragma once

#include <QByteArray>
#include <QFuture>
#include <QImage>

namespace vantrel {

// Encodes a picture as a lossless PNG: RgbPngEncoder, on a QImage of any format.
struct PngEncoder {
    // Empty when the picture cannot be encoded.
    static QByteArray encode(const QImage& image);
    // encode() on the worker pool, so the file is ready by the time it is written.
    static QFuture<QByteArray> start(const QImage& image);
};

} // namespace vantrel
