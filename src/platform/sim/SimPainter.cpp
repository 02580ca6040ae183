#include "SimPainter.h"

#include <QFont>
#include <QPainter>

#include <cmath>

namespace vantrel {

namespace {

const QColor textColor(0x1d, 0x1d, 0x1f);
const QColor borderColor(0x8e, 0x8e, 0x93);

bool isFinite(const QRectF& rect) {
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width()) &&
           std::isfinite(rect.height());
}

QFont labelFont(int pixelSize, bool bold = false) {
    QFont font;
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// Maps the source rectangle (points, top-left space) onto the whole picture.
void mapSource(QPainter& painter, const QRectF& source, QSize pixels) {
    painter.scale(pixels.width() / source.width(), pixels.height() / source.height());
    painter.translate(-source.topLeft());
}

void paintTitleBar(QPainter& painter, const SceneWindow& window) {
    const QRectF bar(window.bounds.topLeft(),
                     QSizeF(window.bounds.width(),
                            std::min(window.bounds.height(), SimPainter::titleBarHeight)));
    painter.fillRect(bar, SimPainter::windowColor(window).darker(112));
    const QColor lights[] = {QColor(0xff, 0x5f, 0x57), QColor(0xfe, 0xbc, 0x2e),
                             QColor(0x28, 0xc8, 0x40)};
    painter.setPen(Qt::NoPen);
    for (int index = 0; index < 3; ++index) {
        painter.setBrush(lights[index]);
        painter.drawEllipse(QPointF(bar.left() + 14 + 20 * index, bar.center().y()), 6, 6);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(textColor);
    painter.setFont(labelFont(13, true));
    painter.drawText(bar.adjusted(76, 0, -8, 0), Qt::AlignCenter | Qt::TextSingleLine,
                     window.title.value_or(QString()));
}

void paintPlainBar(QPainter& painter, const SceneWindow& window) {
    painter.setPen(textColor);
    painter.setFont(labelFont(13));
    painter.drawText(window.bounds.adjusted(8, 0, -8, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     window.title.value_or(QString()));
}

bool hasText(const SceneElement& element, const char* attribute) {
    const auto read = element.attributes.constFind(QString::fromLatin1(attribute));
    if (read == element.attributes.cend() || !read->succeeded())
        return false;
    const auto* plain = std::get_if<QString>(&read->value);
    const auto* attributed = std::get_if<AXAttributedString>(&read->value);
    return (plain && !plain->isEmpty()) || (attributed && !attributed->text.isEmpty());
}

// Leaves always say what they are; containers only when they are named, and not where their
// parent's label already sits, so nested groups do not print over each other.
bool showsLabel(const Scene& scene, const SceneElement& element) {
    if (element.parent < 0)
        return false; // a window's root: the title bar names it
    if (scene.elements[element.parent].frame == element.frame)
        return false;
    const bool leaf = !element.children || element.children->isEmpty();
    return leaf || hasText(element, "AXTitle") || hasText(element, "AXDescription");
}

void paintElement(QPainter& painter, const Scene& scene, const SceneElement& element) {
    if (!element.frame || !isFinite(*element.frame) || element.frame->isEmpty())
        return;
    const QRectF frame = *element.frame;
    painter.setPen(QPen(SimPainter::outlineColor(), 1));
    painter.drawRect(frame.adjusted(0.5, 0.5, -0.5, -0.5));
    if (!showsLabel(scene, element))
        return;
    painter.setPen(textColor);
    const bool small = frame.height() < 40;
    painter.drawText(frame.adjusted(4, 2, -4, -2),
                     (small ? Qt::AlignVCenter : Qt::AlignTop) | Qt::AlignLeft | Qt::TextSingleLine,
                     element.label());
}

void paintWindowContent(QPainter& painter, const Scene& scene, qsizetype windowIndex) {
    const SceneWindow& window = scene.windows[windowIndex];
    painter.save();
    painter.setClipRect(window.bounds);
    painter.fillRect(window.bounds, SimPainter::windowColor(window));
    const bool ordinary = window.layer == 0 && !window.desktop;
    if (ordinary)
        paintTitleBar(painter, window);
    else
        paintPlainBar(painter, window);
    painter.setFont(labelFont(11));
    for (const SceneElement& element : scene.elements) {
        if (element.window == windowIndex)
            paintElement(painter, scene, element);
    }
    if (ordinary) {
        painter.setPen(QPen(borderColor, 1));
        painter.drawRect(window.bounds.adjusted(0.5, 0.5, -0.5, -0.5));
    }
    painter.restore();
}

QImage canvas(QSize pixels, const QColor& fill) {
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

} // namespace

QImage SimPainter::paintDisplay(const Scene& scene, qsizetype screenIndex, QSize pixels,
                                const QList<quint32>& excludedWindowIDs) {
    QImage image = canvas(pixels, desktopColor());
    const QRectF source = scene.topLeftFrame(scene.screens[screenIndex]);
    if (image.isNull() || source.isEmpty())
        return image;
    QPainter painter(&image);
    mapSource(painter, source, pixels);
    for (qsizetype index = scene.windows.size() - 1; index >= 0; --index) {
        const SceneWindow& window = scene.windows[index];
        if (window.onScreen && !excludedWindowIDs.contains(window.id) &&
            window.bounds.intersects(source))
            paintWindowContent(painter, scene, index);
    }
    return image;
}

QImage SimPainter::paintWindow(const Scene& scene, qsizetype windowIndex, QSize pixels) {
    const SceneWindow& window = scene.windows[windowIndex];
    QImage image = canvas(pixels, windowColor(window));
    if (image.isNull() || window.bounds.isEmpty())
        return image;
    QPainter painter(&image);
    mapSource(painter, window.bounds, pixels);
    paintWindowContent(painter, scene, windowIndex);
    return image;
}

QColor SimPainter::desktopColor() {
    return QColor(0x2c, 0x3e, 0x63);
}

QColor SimPainter::outlineColor() {
    return QColor(0x1f, 0x6f, 0xeb);
}

QColor SimPainter::windowColor(const SceneWindow& window) {
    static const QColor palette[] = {QColor(0xf6, 0xf6, 0xf8), QColor(0xe8, 0xf1, 0xfd),
                                     QColor(0xfd, 0xf3, 0xe1), QColor(0xe6, 0xf6, 0xea),
                                     QColor(0xfb, 0xe9, 0xf1), QColor(0xee, 0xea, 0xfb)};
    return palette[window.id % std::size(palette)];
}

} // namespace vantrel
