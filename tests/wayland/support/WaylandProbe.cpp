#include "WaylandProbe.h"

#include "support/WaitUntil.h"

#include <QProcessEnvironment>

#include <stdexcept>

namespace vantrel::testing {

namespace {

QString probeCopy(const char* built) {
    // The fixture's copies are those the desktop's user can read.
    return qEnvironmentVariable("VANTREL_TEST_BIN") + "/" + QString(built).section('/', -1);
}

std::optional<CompositorWindow> listedWindow(CompositorHelper& helper, qint64 pid,
                                             const QString& title) {
    for (const CompositorWindow& window : helper.windows().value_or(QList<CompositorWindow>())) {
        // A window is listed before its first size is settled.
        if (window.pid == pid && window.title == title && !window.frame.isEmpty())
            return window;
    }
    return std::nullopt;
}

} // namespace

WaylandProbe WaylandProbe::gtk(CompositorHelper& helper, const QStringList& arguments) {
    const qsizetype title = arguments.indexOf("--title") + 1;
    return WaylandProbe(helper, "/usr/bin/python3",
                        QStringList{probeCopy(VANTREL_GTK_PROBE)} + arguments,
                        title > 0 ? arguments.value(title) : "Vantrel Probe");
}

WaylandProbe WaylandProbe::gtkOn(CompositorHelper& helper, RemoteInput& input,
                                 const QRect& monitor) {
    if (!input.moveTo(helper, monitor.center()))
        throw std::runtime_error("the pointer did not reach the monitor");
    WaylandProbe probe = gtk(helper);
    if (!waitUntil([&] { return monitor.contains(probe.window(helper).frame); }))
        probe.fail("its window did not open on the pointer's monitor");
    return probe;
}

WaylandProbe WaylandProbe::gtkOnXwayland(CompositorHelper& helper, const QStringList& arguments) {
    QProcessEnvironment x11;
    x11.insert("GDK_BACKEND", "x11");
    x11.insert("DISPLAY", qEnvironmentVariable("VANTREL_XWAYLAND_DISPLAY"));
    x11.insert("XAUTHORITY", qEnvironmentVariable("VANTREL_XWAYLAND_AUTHORITY"));
    const qsizetype title = arguments.indexOf("--title") + 1;
    return WaylandProbe(helper, "/usr/bin/python3",
                        QStringList{probeCopy(VANTREL_GTK_PROBE)} + arguments,
                        title > 0 ? arguments.value(title) : "Vantrel Probe", x11);
}

WaylandProbe WaylandProbe::qt(CompositorHelper& helper, const QStringList& arguments) {
    return WaylandProbe(helper, probeCopy(VANTREL_QT_PROBE),
                        QStringList{"-platform", "wayland"} + arguments, "Vantrel Qt Probe");
}

WaylandProbe::WaylandProbe(CompositorHelper& helper, const QString& program,
                           const QStringList& arguments, QString title,
                           const QProcessEnvironment& extra)
    : m_process(std::make_unique<QProcess>()), m_title(std::move(title)) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PYTHONDONTWRITEBYTECODE", "1");
    environment.insert(extra);
    m_process->setProcessEnvironment(environment);
    m_process->start(program, arguments);
    if (!m_process->waitForStarted())
        fail("cannot start " + program + ": " + m_process->errorString());
    waitUntil(
        [this] { return m_process->canReadLine() || m_process->state() == QProcess::NotRunning; });
    const QString line = QString::fromUtf8(m_process->readLine()).trimmed();
    if (!line.startsWith("ready "))
        fail("no ready line; it said \"" + line + "\"");
    // "paint=X,Y,W,H", relative to the surface (the Qt probe names none).
    const QStringList paint = line.section("paint=", 1).section(' ', 0, 0).split(',');
    if (paint.size() == 4)
        m_paint = QRect(paint[0].toInt(), paint[1].toInt(), paint[2].toInt(), paint[3].toInt());
    if (!waitUntil([&] { return listedWindow(helper, pid(), m_title).has_value(); }))
        fail("the compositor never listed its window");
}

WaylandProbe::~WaylandProbe() {
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    // A closed stdin makes the probes quit on their own; TERM and KILL are for when they hang.
    m_process->closeWriteChannel();
    m_process->terminate();
    if (!m_process->waitForFinished(10000)) {
        m_process->kill();
        m_process->waitForFinished();
    }
}

CompositorWindow WaylandProbe::window(CompositorHelper& helper) const {
    return listedWindow(helper, pid(), m_title).value_or(CompositorWindow{});
}

void WaylandProbe::fail(const QString& what) const {
    throw std::runtime_error(
        (m_title + ": " + what + "\nits stderr: " + m_process->readAllStandardError())
            .toStdString());
}

} // namespace vantrel::testing
