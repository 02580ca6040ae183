#include "ToolkitOffsets.h"

namespace vantrel {

AtspiPlacement::Origin ToolkitOffsets::origin(const CompositorWindow& window,
                                              const AtspiPlacement::Window& atspiWindow) {
    // Xwayland clients report screen coordinates, which are the compositor's.
    if (window.x11Client)
        return {true, {}};
    const QSize decorations = window.buffer.size() - atspiWindow.size;
    // Qt 6 draws its own title bar and borders outside the window it reports: equal borders
    // left, right and below, the rest above. Nothing says how wide; the sizes do. Maximised,
    // Qt 6.8 keeps the title bar and drops the borders.
    if (atspiWindow.toolkit.compare(u"Qt", Qt::CaseInsensitive) == 0 && decorations.width() >= 0 &&
        decorations.height() > 0) {
        const int border = decorations.width() / 2;
        return {false, window.buffer.topLeft() + QPoint(border, decorations.height() - border)};
    }
    // GTK (and any toolkit that reports its whole surface): client-side shadows and the header
    // bar are inside the AT-SPI window, which starts where the surface does.
    return {false, window.buffer.topLeft()};
}

std::optional<CompositorWindow> ToolkitOffsets::match(const QList<CompositorWindow>& frontToBack,
                                                      const AtspiPlacement::Window& atspiWindow) {
    std::optional<CompositorWindow> onlyOfPid;
    int ofPid = 0;
    for (const CompositorWindow& window : frontToBack) {
        if (window.pid != atspiWindow.pid)
            continue;
        if (window.title == atspiWindow.title)
            return window;
        ++ofPid;
        onlyOfPid = window;
    }
    return ofPid == 1 ? onlyOfPid : std::nullopt;
}

} // namespace vantrel
