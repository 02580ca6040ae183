#include "ScreenGeometry.h"

#include <QGuiApplication>
#include <QScreen>

namespace vantrel {

QRect ScreenGeometry::toQtGlobal(const QRectF& topLeftPoints) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QPoint origin = primary ? primary->geometry().topLeft() : QPoint();
    return topLeftPoints.toAlignedRect().translated(origin);
}

std::optional<qsizetype> ScreenGeometry::outputShowing(const QRectF& topLeftPoints,
                                                       QPoint coreOrigin,
                                                       const QList<QRect>& outputs) {
    const QRect wanted = topLeftPoints.toAlignedRect().translated(coreOrigin);
    const qsizetype index = outputs.indexOf(wanted);
    if (index < 0)
        return std::nullopt;
    return index;
}

} // namespace vantrel
