// Runs the desktop tests on the private headless desktop: the ctest fixture's (named by
// VANTREL_DESKTOP_STATE) or, when run by hand, one this process starts and stops. The process's
// environment points at that desktop before Qt starts, so Qt runs on its display (xcb) and the
// code under test sees the desktop's clipboard and screen, never the user's.
#include "support/FixtureEnvironment.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

const QString script = QStringLiteral(VANTREL_SOURCE_DIR "/tests/desktop/headless-desktop.sh");

// Empty when the script did what it was asked, else why not.
QString runScript(const QString& command, const QString& stateDir) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(script, {command, stateDir});
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return {};
    process.kill();
    process.waitForFinished();
    return QString("headless-desktop.sh %1 failed: %2")
        .arg(command, QString::fromUtf8(process.readAll()));
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    const QTemporaryDir ownDir;
    const QString fixtureState = qEnvironmentVariable("VANTREL_DESKTOP_STATE");
    const bool ownDesktop = fixtureState.isEmpty();
    const QString stateDir = ownDesktop ? ownDir.path() : fixtureState;
    QString error = ownDesktop ? runScript("start", stateDir) : QString();
    if (error.isEmpty())
        error = vantrel::testing::applyFixtureEnvironment(stateDir);
    // Tests change the desktop's monitors through the script.
    qputenv("VANTREL_DESKTOP_STATE", stateDir.toUtf8());
    int result = 2;
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
    } else {
        qputenv("QT_QPA_PLATFORM", "xcb");
        QGuiApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (ownDesktop)
        runScript("stop", stateDir);
    return result;
}
