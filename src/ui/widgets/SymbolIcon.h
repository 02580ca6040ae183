#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace vantrel {

// The app's symbols under their own names ("gearshape", "lock.shield", …): the desktop's icon
// theme picture when it has one, else a drawing of our own in the tint, so nothing renders blank.
struct SymbolIcon {
    static QIcon icon(const QString& symbol, const QColor& tint);
    // Always the drawing, whatever the theme: what offscreen renderings compare against.
    static QPixmap drawn(const QString& symbol, const QColor& tint, int size);
    // The icon theme's name for a symbol; empty for a name we do not know.
    static QString themeName(const QString& symbol);
};

} // namespace vantrel
