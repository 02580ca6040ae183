#pragma once

#include "platform/CompositorHelper.h"

#include <QList>
#include <QRect>
#include <QString>

namespace vantrel::testing {

// A monitor layout of the private GNOME Shell (headless-gnome.sh's second virtual monitor on),
// in the compositor's logical pixels, the primary first as the helper lists them.
struct GnomeMonitorSet {
    QString name;
    QList<QRect> monitors;

    QPoint primaryOrigin() const { return monitors.value(0).topLeft(); }
    // A compositor point as `--at … --top-left` reads it: from the primary monitor's corner.
    QString topLeftArgument(QPoint global) const;
};

// 1440×900 at the origin (primary), 1280×1024 to its right.
extern const GnomeMonitorSet gnomeSideBySide;
// 1440×900 at the origin, the primary 1280×1024 below it: the core's origin is not the layout's.
extern const GnomeMonitorSet gnomeStacked;

// Switches the shell's layouts while this lives, then back to the single 1440×900 monitor. Each
// switch returns once the helper lists the layout's monitors, and throws when it never does.
class GnomeMonitorLayout {
  public:
    explicit GnomeMonitorLayout(CompositorHelper& helper) : m_helper(helper) {}
    ~GnomeMonitorLayout();
    GnomeMonitorLayout(const GnomeMonitorLayout&) = delete;
    GnomeMonitorLayout& operator=(const GnomeMonitorLayout&) = delete;

    void switchTo(const GnomeMonitorSet& set);

  private:
    CompositorHelper& m_helper;
    bool m_switched = false;
};

} // namespace vantrel::testing
