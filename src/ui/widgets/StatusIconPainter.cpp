#include "StatusIconPainter.h"

#include <QPainter>
#include <QPainterPath>

namespace vantrel {

QIcon StatusIconPainter::icon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(pixmap(size));
    return icon;
}

QPixmap StatusIconPainter::pixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 16.0;

    QPainterPath board;
    board.addRoundedRect(QRectF(3 * unit, 2.5 * unit, 10 * unit, 12 * unit), 1.5 * unit,
                         1.5 * unit);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(5.5 * unit, 1 * unit, 5 * unit, 3 * unit), unit, unit);
    QPainterPath lines;
    for (const double y : {7.0, 9.5, 12.0})
        lines.addRect(QRectF(5 * unit, y * unit, 6 * unit, 0.9 * unit));
    const QPainterPath glyph = board.united(clip).subtracted(lines);

    // A dark rim under a light glyph: one of the two always stands out from the panel.
    painter.setPen(
        QPen(QColor(0, 0, 0, 200), 1.5 * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(glyph);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(245, 245, 245));
    painter.drawPath(glyph);
    return pixmap;
}

} // namespace vantrel
