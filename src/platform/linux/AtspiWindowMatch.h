#pragma once

#include "../WindowServer.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

namespace vantrel {

// AT-SPI knows no X window ids, so the window under the cursor is found in two steps: the X11
// window list says which process owns the top window at the point, and that process's AT-SPI
// windows are matched to it by title and extents. All rectangles are in the core's points.
struct AtspiWindowMatch {
    struct Candidate {
        QString name;
        std::optional<QRectF> frame; // none when its extents cannot be read
    };

    // The front-most entry covering the point whose owner is known and is not us (our own
    // overlay may lie over everything while a capture runs).
    static std::optional<WindowListEntry> topWindowAt(const QList<WindowListEntry>& frontToBack,
                                                      QPointF point, qint64 ownPid);

    // Which candidate is the entry's window: same title and matching extents first, then same
    // title over the point, then matching extents, then any window over the point.
    static std::optional<qsizetype> bestCandidate(const QList<Candidate>& candidates,
                                                  const WindowListEntry& entry, QPointF point);

    // Extents that describe the same window: equal up to a window manager's frame, which GTK
    // includes under some window managers and Qt never does.
    static bool sameWindowBounds(const QRectF& a, const QRectF& b);
};

} // namespace vantrel
