#include "DesktopTools.h"

#include <QProcess>

namespace vantrel::testing {

QByteArray toolOutput(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished();
    return process.readAllStandardOutput();
}

QByteArray clipboard(const QString& target) {
    return toolOutput("xclip", {"-selection", "clipboard", "-t", target, "-o"});
}

void setAccessibilityEnabled(bool enabled) {
    QProcess gdbus;
    gdbus.setStandardOutputFile(QProcess::nullDevice());
    gdbus.start("gdbus", {"call", "--session", "--dest", "org.a11y.Bus", "--object-path",
                          "/org/a11y/bus", "--method", "org.freedesktop.DBus.Properties.Set",
                          "org.a11y.Status", "IsEnabled", enabled ? "<true>" : "<false>"});
    gdbus.waitForFinished();
}

namespace {
constexpr int screenHeight = 900; // the fixture's screen
}

QString bottomLeft(QPoint point) {
    return QString("%1,%2").arg(point.x()).arg(screenHeight - point.y());
}

QString bottomLeft(QRect rect) {
    return QString("%1,%2,%3,%4")
        .arg(rect.x())
        .arg(screenHeight - rect.y() - rect.height())
        .arg(rect.width())
        .arg(rect.height());
}

} // namespace vantrel::testing
