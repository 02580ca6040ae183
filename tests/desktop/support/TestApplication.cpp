#include "TestApplication.h"

#include "DesktopTools.h"
#include "support/WaitUntil.h"

#include <QProcessEnvironment>

#include <stdexcept>

namespace vantrel::testing {

namespace {

// "ready paint=1,2,3,4 window=5,6,7,8" -> {paint: QRect(1,2,3,4), window: ...}
QMap<QString, QRect> parseReadyLine(const QString& line) {
    QMap<QString, QRect> rects;
    for (const QString& field : line.split(' ', Qt::SkipEmptyParts).mid(1)) {
        const QStringList n = field.section('=', 1).split(',');
        rects.insert(field.section('=', 0, 0), QRect(n.value(0).toInt(), n.value(1).toInt(),
                                                     n.value(2).toInt(), n.value(3).toInt()));
    }
    return rects;
}

} // namespace

TestApplication TestApplication::gtk(const QStringList& arguments) {
    const qsizetype title = arguments.indexOf("--title") + 1;
    return TestApplication("/usr/bin/python3",
                           QStringList{VANTREL_SOURCE_DIR "/tests/desktop/apps/gtk_probe.py"} +
                               arguments,
                           title > 0 ? arguments.value(title) : "Vantrel Probe");
}

TestApplication TestApplication::qt(const QStringList& unset, const QStringList& arguments) {
    return TestApplication(VANTREL_QT_PROBE, QStringList{"-platform", "xcb"} + arguments,
                           "Vantrel Qt Probe", unset);
}

TestApplication::TestApplication(const QString& program, const QStringList& arguments,
                                 QString title, const QStringList& unset)
    : m_process(std::make_unique<QProcess>()), m_title(std::move(title)) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PYTHONDONTWRITEBYTECODE", "1");
    for (const QString& name : unset)
        environment.remove(name);
    m_process->setProcessEnvironment(environment);
    m_process->start(program, arguments);
    if (!m_process->waitForStarted())
        fail("cannot start " + program + ": " + m_process->errorString());
    waitUntil(
        [this] { return m_process->canReadLine() || m_process->state() == QProcess::NotRunning; });
    const QString line = QString::fromUtf8(m_process->readLine()).trimmed();
    m_reported = parseReadyLine(line);
    if (!line.startsWith("ready ") || !m_reported.contains("window"))
        fail("no ready line with a window; it said \"" + line + "\"");
    // Found by xdotool, apart from the code under test: visible, with its pid and its very title.
    const QStringList search = {"search", "--onlyvisible",    "--pid", QString::number(pid()),
                                "--name", "^" + m_title + "$"};
    if (!waitUntil([&] { return (m_windowId = xdotool(search).toUInt()) != 0; }))
        fail("its window was never mapped");
}

bool TestApplication::tell(const QByteArray& line, const QByteArray& answer) {
    m_process->write(line + '\n');
    return waitUntil([&] { return m_process->canReadLine(); }) &&
           m_process->readLine().trimmed() == answer;
}

TestApplication::~TestApplication() {
    if (m_process->state() == QProcess::NotRunning)
        return;
    // A closed stdin makes the probes quit on their own; TERM and KILL are for when they hang.
    m_process->closeWriteChannel();
    m_process->terminate();
    if (!m_process->waitForFinished(10000)) {
        m_process->kill();
        m_process->waitForFinished();
    }
}

void TestApplication::fail(const QString& what) const {
    throw std::runtime_error(
        (m_title + ": " + what + "\nits stderr: " + m_process->readAllStandardError())
            .toStdString());
}

} // namespace vantrel::testing
