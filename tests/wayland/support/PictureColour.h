#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

namespace vantrel::testing {

// The bounding box of every pixel within tolerance of the colour on each channel; empty when
// there is none. A tolerance of 0 is the exact colour, as a lossless picture has it.
QRect colourBounds(const QImage& image, const QColor& colour, int tolerance = 0);

} // namespace vantrel::testing
