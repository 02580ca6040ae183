#include "PictureColour.h"

#include <cstdlib>

namespace vantrel::testing {

QRect colourBounds(const QImage& image, const QColor& colour, int tolerance) {
    QRect bounds;
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            if (std::abs(qRed(row[x]) - colour.red()) <= tolerance &&
                std::abs(qGreen(row[x]) - colour.green()) <= tolerance &&
                std::abs(qBlue(row[x]) - colour.blue()) <= tolerance)
                bounds = bounds.united(QRect(x, y, 1, 1));
        }
    }
    return bounds;
}

} // namespace vantrel::testing
