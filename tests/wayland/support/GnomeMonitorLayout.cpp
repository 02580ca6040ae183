#include "GnomeMonitorLayout.h"

#include "support/WaitUntil.h"

#include <QProcess>

#include <stdexcept>

namespace vantrel::testing {

const GnomeMonitorSet gnomeSideBySide{"side-by-side",
                                      {QRect(0, 0, 1440, 900), QRect(1440, 0, 1280, 1024)}};
const GnomeMonitorSet gnomeStacked{"stacked", {QRect(0, 900, 1280, 1024), QRect(0, 0, 1440, 900)}};

namespace {

const QList<QRect> singleMonitor{QRect(0, 0, 1440, 900)};

QList<QRect> listedMonitors(CompositorHelper& helper) {
    QList<QRect> areas;
    for (const CompositorMonitor& monitor : helper.monitors())
        areas.append(monitor.area);
    return areas;
}

// Empty when the fixture's script switched the layout, else what it said.
QString switchLayout(const QString& name) {
    const QString bin = qEnvironmentVariable("VANTREL_TEST_BIN");
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(bin + "/headless-gnome.sh", {"layout", bin + "/..", name});
    if (script.waitForFinished(60000) && script.exitStatus() == QProcess::NormalExit &&
        script.exitCode() == 0)
        return {};
    return "layout " + name + " failed: " + QString::fromUtf8(script.readAll());
}

} // namespace

QString GnomeMonitorSet::topLeftArgument(QPoint global) const {
    const QPoint point = global - primaryOrigin();
    return QString("%1,%2").arg(point.x()).arg(point.y());
}

void GnomeMonitorLayout::switchTo(const GnomeMonitorSet& set) {
    m_switched = true;
    if (const QString failed = switchLayout(set.name); !failed.isEmpty())
        throw std::runtime_error(failed.toStdString());
    if (!waitUntil([&] { return listedMonitors(m_helper) == set.monitors; }))
        throw std::runtime_error("the helper never listed the " + set.name.toStdString() +
                                 " layout's monitors");
}

GnomeMonitorLayout::~GnomeMonitorLayout() {
    if (!m_switched)
        return;
    switchLayout("single");
    waitUntil([this] { return listedMonitors(m_helper) == singleMonitor; });
}

} // namespace vantrel::testing
