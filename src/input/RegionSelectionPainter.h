#pragma once

#include <QImage>

class QFont;
class QPainter;

namespace vantrel {

class RegionSelectionView;

// Draws one screen of the area selection. A frozen picture of the screen stands in for the live
// desktop where windows cannot be translucent; without one the dimming goes over whatever the
// painter already holds.
struct RegionSelectionPainter {
    static void paint(QPainter& painter, const RegionSelectionView& view,
                      const QImage& frozenScreen = {});
    static QFont sizeChipFont();
    static QFont hintFont();
};

} // namespace vantrel
