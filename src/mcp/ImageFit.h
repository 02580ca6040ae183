#pragma once

#include <QByteArray>
#include <QSize>

#include <functional>
#include <optional>

namespace vantrel {

// The size a screenshot is sent at: agents' model APIs reject or shrink larger pictures, so the
// long edge stays within a limit, the area within 1.15 megapixels and the encoded file well under
// 5 MB. Never enlarges.
struct ImageFit {
    static constexpr qint64 maxPixels = 1'150'000;
    static constexpr qsizetype maxEncodedBytes = 3 * 1024 * 1024;

    // The largest size of source's shape within both limits; each side at least 1.
    static QSize fitted(QSize source, int maxEdge, qint64 pixels = maxPixels);

    struct Encoded {
        QByteArray bytes;
        QSize size;
    };
    // Encodes at the fitted size, then smaller (three quarters each time) until the bytes fit;
    // none when the encoder fails.
    static std::optional<Encoded> encodeWithin(QSize source, int maxEdge,
                                               const std::function<QByteArray(QSize)>& encode,
                                               qsizetype maxBytes = maxEncodedBytes);
    // Screen pixels per image pixel.
    static double factor(double screenWidth, int imageWidth);
};

} // namespace vantrel
