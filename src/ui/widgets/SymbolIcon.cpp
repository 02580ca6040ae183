#include "SymbolIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace vantrel {

namespace {

// Every drawing is on a 16-unit square; the painter is scaled to the pixmap.
QPen stroke(const QColor& tint, double width = 1.4) {
    return QPen(tint, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void gear(QPainter& p, const QColor& tint) {
    QPainterPath teeth;
    for (int i = 0; i < 8; ++i) {
        QTransform turn;
        turn.translate(8, 8);
        turn.rotate(i * 45.0);
        QPainterPath tooth;
        tooth.addRect(QRectF(-1.3, -7.2, 2.6, 3));
        teeth.addPath(turn.map(tooth));
    }
    QPainterPath body;
    body.addEllipse(QPointF(8, 8), 5, 5);
    QPainterPath hole;
    hole.addEllipse(QPointF(8, 8), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawPath(body.united(teeth).subtracted(hole));
}

void viewfinder(QPainter& p, const QColor& tint) {
    p.setPen(stroke(tint));
    p.setBrush(Qt::NoBrush);
    for (const QPointF& corner :
         {QPointF(1.5, 1.5), QPointF(14.5, 1.5), QPointF(14.5, 14.5), QPointF(1.5, 14.5)}) {
        const double dx = corner.x() < 8 ? 3.5 : -3.5;
        const double dy = corner.y() < 8 ? 3.5 : -3.5;
        p.drawPolyline(QPolygonF{corner + QPointF(0, dy), corner, corner + QPointF(dx, 0)});
    }
    p.drawRoundedRect(QRectF(4, 5.5, 8, 6), 1.2, 1.2);
    p.drawEllipse(QPointF(8, 8.5), 1.6, 1.6);
}

QPainterPath sparkle(QPointF centre, double radius) {
    QPainterPath star;
    const double waist = radius * 0.28;
    star.moveTo(centre + QPointF(0, -radius));
    star.quadTo(centre + QPointF(waist, -waist), centre + QPointF(radius, 0));
    star.quadTo(centre + QPointF(waist, waist), centre + QPointF(0, radius));
    star.quadTo(centre + QPointF(-waist, waist), centre + QPointF(-radius, 0));
    star.quadTo(centre + QPointF(-waist, -waist), centre + QPointF(0, -radius));
    return star;
}

void sparkles(QPainter& p, const QColor& tint) {
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawPath(sparkle(QPointF(6.5, 9), 5.5));
    p.drawPath(sparkle(QPointF(12.5, 3.5), 2.5));
    p.drawPath(sparkle(QPointF(12.5, 12.5), 2));
}

void shield(QPainter& p, const QColor& tint) {
    QPainterPath outline;
    outline.moveTo(8, 1);
    outline.lineTo(14, 3.2);
    outline.cubicTo(14, 9.5, 11.5, 13, 8, 15);
    outline.cubicTo(4.5, 13, 2, 9.5, 2, 3.2);
    outline.closeSubpath();
    QPainterPath lock;
    lock.addRoundedRect(QRectF(5.5, 7.5, 5, 4), 0.8, 0.8);
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawPath(outline.subtracted(lock));
    p.setPen(stroke(tint, 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6.3, 5, 3.4, 4.4), 0, 180 * 16);
}

void clipboards(QPainter& p, const QColor& tint) {
    p.setPen(stroke(tint, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(1.5, 4, 9, 10.5), 1.2, 1.2);
    p.drawPolyline(QPolygonF{QPointF(5, 4), QPointF(5, 1.5), QPointF(14.5, 1.5), QPointF(14.5, 11),
                             QPointF(10.5, 11)});
    for (const double y : {7.5, 10.0, 12.5})
        p.drawLine(QPointF(3.5, y), QPointF(8.5, y));
}

void person(QPainter& p, const QColor& tint) {
    p.setPen(stroke(tint, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 8), 7, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawEllipse(QPointF(8, 4.4), 1.3, 1.3);
    p.setPen(stroke(tint, 1.3));
    p.drawLine(QPointF(4, 6.6), QPointF(12, 6.6));
    p.drawLine(QPointF(8, 6.6), QPointF(8, 9.8));
    p.drawLine(QPointF(8, 9.8), QPointF(5.8, 13));
    p.drawLine(QPointF(8, 9.8), QPointF(10.2, 13));
}

void recordDot(QPainter& p, const QColor& tint) {
    QPainterPath disc;
    disc.addEllipse(QPointF(8, 8), 7.5, 7.5);
    QPainterPath ring;
    ring.addEllipse(QPointF(8, 8), 5.5, 5.5);
    QPainterPath dot;
    dot.addEllipse(QPointF(8, 8), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawPath(disc.subtracted(ring).united(dot));
}

void checkmark(QPainter& p, const QColor& tint) {
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawEllipse(QPointF(8, 8), 7.5, 7.5);
    p.setPen(stroke(Qt::white, 1.8));
    p.drawPolyline(QPolygonF{QPointF(4.5, 8.3), QPointF(7, 10.8), QPointF(11.6, 5.6)});
}

// The symbol names the app uses, the icon theme's name for each, and our own drawing.
struct Symbol {
    const char* name;
    const char* themeName;
    void (*draw)(QPainter&, const QColor&);
};

constexpr Symbol symbols[] = {
    {"gearshape", "preferences-system", gear},
    {"camera.viewfinder", "camera-photo", viewfinder},
    {"sparkles", "starred", sparkles},
    {"lock.shield", "security-high", shield},
    {"doc.on.clipboard", "edit-paste", clipboards},
    {"accessibility", "preferences-desktop-accessibility", person},
    {"record.circle.fill", "media-record", recordDot},
    {"checkmark.circle.fill", "emblem-ok", checkmark},
};

const Symbol* find(const QString& name) {
    for (const Symbol& symbol : symbols)
        if (name == QLatin1String(symbol.name))
            return &symbol;
    return nullptr;
}

} // namespace

QString SymbolIcon::themeName(const QString& symbol) {
    const Symbol* found = find(symbol);
    return found ? QString::fromLatin1(found->themeName) : QString();
}

QPixmap SymbolIcon::drawn(const QString& symbol, const QColor& tint, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    if (const Symbol* found = find(symbol))
        found->draw(painter, tint);
    else { // an unknown name still shows something in the tint
        painter.setPen(Qt::NoPen);
        painter.setBrush(tint);
        painter.drawEllipse(QPointF(8, 8), 6, 6);
    }
    return pixmap;
}

QIcon SymbolIcon::icon(const QString& symbol, const QColor& tint) {
    QIcon fallback;
    for (const int size : {16, 22, 32, 48, 64})
        fallback.addPixmap(drawn(symbol, tint, size));
    const QString name = themeName(symbol);
    return name.isEmpty() ? fallback : QIcon::fromTheme(name, fallback);
}

} // namespace vantrel
