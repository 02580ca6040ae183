#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>

#include <optional>

namespace vantrel {

struct ScreenInfo {
    QRectF frame;        // bottom-left global space
    QRectF visibleFrame; // bottom-left global space
    double backingScale = 1.0;
    double safeAreaTop = 0.0;
    std::optional<quint32> number; // equals the display ID of the shareable content
};

// The screens, the first being the one with the menu bar, and the global cursor.
class ScreenList {
  public:
    virtual ~ScreenList() = default;

    virtual QList<ScreenInfo> screens() const = 0;
    // The screen holding the key window; none when there are no screens.
    virtual std::optional<ScreenInfo> mainScreen() const = 0;
    virtual QPointF mouseLocation() const = 0; // bottom-left global space
};

} // namespace vantrel
