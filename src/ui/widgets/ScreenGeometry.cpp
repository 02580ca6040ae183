#include "ScreenGeometry.h"

#include <QGuiApplication>
#include <QScreen>

namespace vantrel {

QRect ScreenGeometry::toQtGlobal(const QRectF& topLeftPoints) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QPoint origin = primary ? primary->geometry().topLeft() : QPoint();
    return topLeftPoints.toAlignedRect().translated(origin);
}

} // namespace vantrel
