#include "ImageFit.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

QSize ImageFit::fitted(QSize source, int maxEdge, qint64 pixels) {
    if (source.isEmpty())
        return {};
    double scale = 1.0;
    const int longEdge = std::max(source.width(), source.height());
    if (longEdge > maxEdge)
        scale = double(maxEdge) / longEdge;
    const double area = double(source.width()) * source.height() * scale * scale;
    if (area > double(pixels))
        scale *= std::sqrt(double(pixels) / area);
    if (scale >= 1.0)
        return source;
    // Floor, so neither limit is passed by rounding.
    QSize size(std::max(1, int(std::floor(source.width() * scale))),
               std::max(1, int(std::floor(source.height() * scale))));
    return size;
}

std::optional<ImageFit::Encoded>
ImageFit::encodeWithin(QSize source, int maxEdge, const std::function<QByteArray(QSize)>& encode,
                       qsizetype maxBytes) {
    QSize size = fitted(source, maxEdge);
    while (!size.isEmpty()) {
        QByteArray bytes = encode(size);
        if (bytes.isEmpty())
            return std::nullopt;
        if (bytes.size() <= maxBytes)
            return Encoded{std::move(bytes), size};
        if (size.width() == 1 && size.height() == 1)
            return std::nullopt;
        size = QSize(std::max(1, size.width() * 3 / 4), std::max(1, size.height() * 3 / 4));
    }
    return std::nullopt;
}

double ImageFit::factor(double screenWidth, int imageWidth) {
    return imageWidth > 0 ? screenWidth / imageWidth : 0.0;
}

} // namespace vantrel
