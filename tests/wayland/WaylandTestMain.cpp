// Runs the Wayland tests on the private headless GNOME Shell: the ctest fixture's (named by
// VANTREL_GNOME_STATE) or, when run by hand, one this process starts and stops. The tests
// themselves run in a second process: the fixture's copy of this binary, as the desktop's user,
// so that the extension sees one of the executables it allows.
#include "support/FixtureEnvironment.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString gnomeScript = QStringLiteral(VANTREL_SOURCE_DIR "/tests/wayland/headless-gnome.sh");
const char* const childMarker = "VANTREL_WAYLAND_TEST_CHILD";

// Empty when the script did what it was asked, else why not.
QString runGnomeScript(const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(gnomeScript, arguments);
    if (process.waitForFinished(180000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return {};
    process.kill();
    process.waitForFinished();
    return QString("headless-gnome.sh %1 failed: %2")
        .arg(arguments.join(' '), QString::fromUtf8(process.readAll()));
}

int runTests(int argc, char** argv, const QString& stateDir) {
    const QString error = vantrel::testing::applyFixtureEnvironment(stateDir);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    // This process shows nothing; the probes it starts get the session's platforms.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

// The fixture's copy of this binary, run as the owner of the state dir when that is not us.
int runCopy(const QString& stateDir, const QStringList& arguments) {
    const QString copy =
        stateDir + "/bin/" + QFileInfo(QFile::symLinkTarget("/proc/self/exe")).fileName();
    struct stat state {};
    if (stat(QFile::encodeName(stateDir).constData(), &state) != 0)
        return 2;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.setInputChannelMode(QProcess::ForwardedInputChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(childMarker, stateDir);
    child.setProcessEnvironment(environment);
    // The build folder may be out of the desktop user's reach.
    child.setWorkingDirectory(stateDir);
    if (state.st_uid == geteuid()) {
        child.start(copy, arguments);
    } else {
        const passwd* owner = getpwuid(state.st_uid);
        if (!owner)
            return 2;
        child.start("runuser", QStringList{"-u", owner->pw_name, "--", copy} + arguments);
    }
    if (!child.waitForStarted() || !child.waitForFinished(-1))
        return 2;
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : 2;
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    if (const QString child = qEnvironmentVariable(childMarker); !child.isEmpty())
        return runTests(argc, argv, child);

    QTemporaryDir ownDir;
    const QString fixtureState = qEnvironmentVariable("VANTREL_GNOME_STATE");
    const bool ownDesktop = fixtureState.isEmpty();
    const QString stateDir = ownDesktop ? ownDir.path() + "/gnome" : fixtureState;
    if (ownDesktop) {
        // The desktop's user must get through to its state dir.
        QFile::setPermissions(ownDir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                 QFile::ExeOwner | QFile::ExeGroup |
                                                 QFile::ExeOther);
        const QString error = runGnomeScript(
            {"start", stateDir, VANTREL_GNOME_EXTENSION_DIR, QFile::symLinkTarget("/proc/self/exe"),
             VANTREL_BINARY, VANTREL_CLIPBOARD_SERVER, VANTREL_QT_PROBE, VANTREL_GTK_PROBE});
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
    }
    const int result = runCopy(stateDir, arguments);
    if (ownDesktop)
        runGnomeScript({"stop", stateDir});
    return result;
}
