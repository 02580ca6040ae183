#pragma once

#include <QIcon>

namespace vantrel {

// The tray icon, drawn rather than shipped: a clipboard in one colour with a contrasting rim, so
// it reads on light and dark panels alike.
struct StatusIconPainter {
    static QIcon icon();
    static QPixmap pixmap(int size);
};

} // namespace vantrel
