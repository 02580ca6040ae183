#include "MonitorLayout.h"

#include "support/WaitUntil.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>

#include <algorithm>
#include <stdexcept>

namespace vantrel::testing {

namespace {

QList<QRect> qtScreens() {
    QList<QRect> geometries;
    for (const QScreen* screen : QGuiApplication::screens())
        geometries.append(screen->geometry());
    std::sort(geometries.begin(), geometries.end(), [](const QRect& a, const QRect& b) {
        return std::pair(a.x(), a.y()) < std::pair(b.x(), b.y());
    });
    return geometries;
}

} // namespace

QString MonitorSet::bottomLeft(QPoint root) const {
    const QRect& primary = monitors[0];
    return QString("%1,%2").arg(root.x() - primary.x()).arg(primary.bottom() + 1 - root.y());
}

QString MonitorSet::bottomLeft(const QRect& root) const {
    return bottomLeft(root.bottomLeft() + QPoint(0, 1)) +
           QString(",%1,%2").arg(root.width()).arg(root.height());
}

bool MonitorLayout::apply(const MonitorSet& set) {
    const int exitCode =
        QProcess::execute(VANTREL_SOURCE_DIR "/tests/desktop/headless-desktop.sh",
                          {"layout", qEnvironmentVariable("VANTREL_DESKTOP_STATE"), set.name});
    QList<QRect> wanted = set.monitors;
    std::sort(wanted.begin(), wanted.end(), [](const QRect& a, const QRect& b) {
        return std::pair(a.x(), a.y()) < std::pair(b.x(), b.y());
    });
    return exitCode == 0 && waitUntil([&] { return qtScreens() == wanted; });
}

MonitorLayout::MonitorLayout(const MonitorSet& set) {
    if (!apply(set))
        throw std::runtime_error("the desktop never showed the monitors of " +
                                 set.name.toStdString());
}

MonitorLayout::~MonitorLayout() {
    apply(singleMonitor);
}

} // namespace vantrel::testing
