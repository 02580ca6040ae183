#pragma once

#include "platform/CompositorHelper.h"
#include "support/AccessibleLookup.h"
#include "support/RemoteInput.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

namespace vantrel::testing {

// A probe application on the private GNOME Shell, started by pid and stopped by pid when this
// goes. The factories return once it has said "ready" and the compositor lists its window; they
// throw std::runtime_error (gtest reports it) when it does not get there.
class WaylandProbe {
  public:
    // tests/desktop/apps/gtk_probe.py: "Vantrel Probe" with its solid "Paint" button.
    static WaylandProbe gtk(CompositorHelper& helper, const QStringList& arguments = {});
    // The GTK probe on that monitor: GNOME opens a new window on the monitor under the pointer
    // (a Wayland client cannot place its own), so the pointer goes there first.
    static WaylandProbe gtkOn(CompositorHelper& helper, RemoteInput& input, const QRect& monitor);
    // The GTK probe as an X11 client of the shell's Xwayland, at 120,90 as it places itself.
    static WaylandProbe gtkOnXwayland(CompositorHelper& helper, const QStringList& arguments = {});
    // The Qt probe: "Vantrel Qt Probe", one "Press" button, Qt's own decorations.
    static WaylandProbe qt(CompositorHelper& helper, const QStringList& arguments = {});
    WaylandProbe(WaylandProbe&&) = default;
    ~WaylandProbe();

    qint64 pid() const { return m_process->processId(); }
    const QString& title() const { return m_title; }
    // Waits until the probe's AT-SPI tree holds a node with this name and role name.
    std::optional<AccessibleLookup::Node> waitForAccessible(const QString& name,
                                                            const QString& role) const {
        return AccessibleLookup::waitFor(pid(), name, role);
    }
    // The compositor's window of the probe, as it lists it now.
    CompositorWindow window(CompositorHelper& helper) const;
    // The GTK probe's Paint button, relative to its surface.
    QRect paint() const { return m_paint; }

  private:
    WaylandProbe(CompositorHelper& helper, const QString& program, const QStringList& arguments,
                 QString title, const QProcessEnvironment& extra = {});
    [[noreturn]] void fail(const QString& what) const;

    std::unique_ptr<QProcess> m_process;
    QString m_title;
    QRect m_paint;
};

} // namespace vantrel::testing
