#include "HeadlessDesktop.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace vantrel::testing {

namespace {

QString runScript(const QString& command, const QString& stateDir) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(HeadlessDesktop::script(), {command, stateDir});
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        return QString("headless-desktop.sh %1 failed: %2")
            .arg(command, QString::fromUtf8(process.readAll()));
    }
    return {};
}

} // namespace

HeadlessDesktop::HeadlessDesktop(QString stateDir) : m_stateDir(std::move(stateDir)) {}

HeadlessDesktop::~HeadlessDesktop() {
    if (m_ownDir)
        runScript("stop", m_stateDir);
}

QString HeadlessDesktop::script() {
    return QStringLiteral(VANTREL_SOURCE_DIR "/tests/desktop/headless-desktop.sh");
}

std::unique_ptr<HeadlessDesktop> HeadlessDesktop::attachOrStart(QString* error) {
    const QString fixtureState = qEnvironmentVariable("VANTREL_DESKTOP_STATE");
    std::unique_ptr<HeadlessDesktop> desktop(new HeadlessDesktop(fixtureState));
    if (fixtureState.isEmpty() && !desktop->start(error))
        return nullptr;
    if (!desktop->applyEnvironment(error))
        return nullptr;
    return desktop;
}

bool HeadlessDesktop::start(QString* error) {
    m_ownDir = std::make_unique<QTemporaryDir>();
    if (!m_ownDir->isValid()) {
        *error = "cannot make a temporary dir for the desktop: " + m_ownDir->errorString();
        return false;
    }
    m_stateDir = m_ownDir->path();
    *error = runScript("start", m_stateDir);
    return error->isEmpty();
}

// The env file holds `export NAME='value'` and `unset NAME...` lines, nothing else.
bool HeadlessDesktop::applyEnvironment(QString* error) const {
    QFile file(m_stateDir + "/env");
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QString("no desktop in %1: %2 (start it with %3 start DIR)")
                     .arg(m_stateDir, file.errorString(), script());
        return false;
    }
    static const QRegularExpression exportLine("^export ([A-Z0-9_]+)='([^']*)'$");
    static const QRegularExpression unsetLine("^unset ([A-Z0-9_ ]+)$");
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (const auto match = exportLine.match(line); match.hasMatch()) {
            qputenv(match.captured(1).toUtf8().constData(), match.captured(2).toUtf8());
        } else if (const auto unset = unsetLine.match(line); unset.hasMatch()) {
            for (const QString& name : unset.captured(1).split(' ', Qt::SkipEmptyParts))
                qunsetenv(name.toUtf8().constData());
        } else if (!line.isEmpty()) {
            *error = QString("unexpected line in %1/env: %2").arg(m_stateDir, line);
            return false;
        }
    }
    return true;
}

} // namespace vantrel::testing
