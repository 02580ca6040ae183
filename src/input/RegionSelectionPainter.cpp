#include "RegionSelectionPainter.h"

#include "RegionSelectionView.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace vantrel {

namespace {

QColor black(double alpha) {
    return QColor::fromRgbF(0, 0, 0, static_cast<float>(alpha));
}

QSizeF measure(const QFont& font, const QString& text) {
    const QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

void fillRoundedBox(QPainter& painter, QRectF box, double radius, const QColor& colour) {
    QPainterPath path;
    path.addRoundedRect(box, radius, radius);
    painter.fillPath(path, colour);
}

void drawText(QPainter& painter, const QFont& font, QRectF box, QSizeF inset, const QString& text) {
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(box.adjusted(inset.width(), inset.height(), 0, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

void dimAround(QPainter& painter, QRectF bounds, QRectF selection) {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addRect(bounds);
    path.addRect(selection);
    painter.fillPath(path, black(0.35));
}

void drawBorders(QPainter& painter, QRectF selection) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(black(0.45), 3));
    painter.drawRect(selection.adjusted(-0.5, -0.5, 0.5, 0.5));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(selection);
}

void drawSizeChip(QPainter& painter, const RegionSelectionView& view, QRectF selection) {
    const QFont font = RegionSelectionPainter::sizeChipFont();
    const QString text = view.sizeChipText();
    const QRectF box = view.sizeChipBox(selection, measure(font, text));
    fillRoundedBox(painter, box, 4, black(0.65));
    drawText(painter, font, box, RegionSelectionView::sizeChipInset, text);
}

void drawHint(QPainter& painter, const RegionSelectionView& view) {
    const QFont font = RegionSelectionPainter::hintFont();
    // A long prompt gives up its middle, so the instructions at its end stay on the screen.
    const double room = view.bounds().width() - 4 * RegionSelectionView::hintInset.width();
    const QString text = QFontMetricsF(font).elidedText(view.hintText(), Qt::ElideMiddle, room);
    const QRectF box = view.hintBox(measure(font, text));
    fillRoundedBox(painter, box, 8, black(0.55));
    drawText(painter, font, box, RegionSelectionView::hintInset, text);
}

QFont systemFont(int pixelSize) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Medium);
    return font;
}

} // namespace

void RegionSelectionPainter::paint(QPainter& painter, const RegionSelectionView& view,
                                   const QImage& frozenScreen) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(QPointF(0, 0), view.bounds());
    if (!frozenScreen.isNull())
        painter.drawImage(bounds, frozenScreen);
    if (const std::optional<QRectF> selection = view.drawnSelection()) {
        dimAround(painter, bounds, *selection);
        drawBorders(painter, *selection);
        drawSizeChip(painter, view, *selection);
    } else {
        painter.fillRect(bounds, black(0.35));
    }
    if (view.showsHint())
        drawHint(painter, view);
    painter.restore();
}

QFont RegionSelectionPainter::sizeChipFont() {
    // Qt 6.4 cannot ask a font for tabular digits; DejaVu Sans, Debian's default, has only those.
    return systemFont(12);
}

QFont RegionSelectionPainter::hintFont() {
    return systemFont(15);
}

} // namespace vantrel
