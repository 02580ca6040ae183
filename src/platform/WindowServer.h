#pragma once

#include <QList>
#include <QRectF>
#include <QString>

#include <optional>

namespace vantrel {

// One entry of the on-screen window list. Fields are optional because the list is loosely typed:
// callers skip entries whose fields they cannot read.
struct WindowListEntry {
    std::optional<qint64> layer;
    std::optional<qint64> ownerPid;
    std::optional<QRectF> bounds; // top-left global space
    std::optional<QString> name;
    std::optional<qint64> number;
};

struct RunningApplication {
    qint32 pid = 0;
    std::optional<QString> bundleIdentifier;
    std::optional<QString> localizedName;
};

// The window server: which windows are on screen, front to back, and which applications own them.
class WindowServer {
  public:
    virtual ~WindowServer() = default;

    // On-screen windows front to back, desktop elements excluded; none when the list is
    // unavailable.
    virtual std::optional<QList<WindowListEntry>> onScreenWindows() const = 0;
    virtual std::optional<QString> applicationName(qint32 pid) const = 0;
    virtual qint32 ownPid() const = 0;
    // The application that owns the key window, if any.
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
};

} // namespace vantrel
