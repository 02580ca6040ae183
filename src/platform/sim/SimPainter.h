#pragma once

#include "Scene.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QSize>

namespace vantrel {

// Paints a scene the way its screens would look: the desktop, each window back to front with a
// title bar, and every accessibility element outlined and labelled. Needs a QGuiApplication for
// the fonts.
struct SimPainter {
    static constexpr double titleBarHeight = 28;

    // One screen less the excluded windows, stretched to exactly pixels.
    static QImage paintDisplay(const Scene& scene, qsizetype screenIndex, QSize pixels,
                               const QList<quint32>& excludedWindowIDs = {});
    // One window alone, stretched to exactly pixels.
    static QImage paintWindow(const Scene& scene, qsizetype windowIndex, QSize pixels);

    static QColor desktopColor();
    // The outline of every element with a finite, non-empty frame.
    static QColor outlineColor();
    // The colour of a window's body, where neither the title bar nor an element is drawn.
    static QColor windowColor(const SceneWindow& window);
};

} // namespace vantrel
