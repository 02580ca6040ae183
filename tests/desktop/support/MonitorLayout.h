#pragma once

#include <QList>
#include <QRect>
#include <QString>

namespace vantrel::testing {

// A monitor layout of headless-desktop.sh: its RandR monitors in root pixels, primary first.
struct MonitorSet {
    QString name;
    QList<QRect> monitors;

    // A root point or rectangle as --at and --region take it: bottom-left points, from the
    // primary monitor's lower left corner.
    QString bottomLeft(QPoint root) const;
    QString bottomLeft(const QRect& root) const;
    // Root pixels in the core's top-left points, from the primary monitor's corner.
    QRect topLeft(const QRect& root) const { return root.translated(-monitors[0].topLeft()); }
};

inline const MonitorSet singleMonitor{"single", {{0, 0, 1440, 900}}};
// A taller monitor to the right of the primary one.
inline const MonitorSet sideBySide{"side-by-side", {{0, 0, 1440, 900}, {1440, 0, 1280, 1024}}};
// The primary monitor, wider, below the other one: the core's origin is not the root's.
inline const MonitorSet stacked{"stacked", {{0, 900, 1920, 900}, {0, 0, 1440, 900}}};

// The tests' desktop shows these monitors for as long as this lives, then the single one again;
// both ways it returns once this process's Qt lists exactly them. Throws when it cannot.
class MonitorLayout {
  public:
    explicit MonitorLayout(const MonitorSet& set);
    ~MonitorLayout();
    MonitorLayout(const MonitorLayout&) = delete;
    MonitorLayout& operator=(const MonitorLayout&) = delete;

    // Declares the monitors of this set on the tests' desktop; false when the script failed or
    // Qt never listed them.
    static bool apply(const MonitorSet& set);
};

} // namespace vantrel::testing
