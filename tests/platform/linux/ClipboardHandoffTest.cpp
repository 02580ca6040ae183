#include "platform/linux/ClipboardHandoff.h"
#include "platform/StandardLocations.h"
#include "platform/VirtualClock.h"
#include "platform/linux/ClipboardPayload.h"
#include "platform/linux/ClipboardServerProgram.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

using namespace vantrel;

namespace {
const QString unreachable = QStringLiteral(":vantrel-test-no-such-display");

// XDG_RUNTIME_DIR, where the payload goes, for as long as this lives.
class HandoffRuntimeDir {
  public:
    explicit HandoffRuntimeDir(const QString& path) : m_saved(qgetenv("XDG_RUNTIME_DIR")) {
        qputenv("XDG_RUNTIME_DIR", path.toUtf8());
    }
    ~HandoffRuntimeDir() {
        if (m_saved.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", m_saved);
    }

  private:
    QByteArray m_saved;
};

volatile std::sig_atomic_t handoffTermSeen = 0;

// Starts and lets go of a handoff as pid 1 of a PID namespace of its own, where a signal sent to
// pid 1 reaches this very process. Exit 0: nobody signalled; 1: SIGTERM came; 77: no namespace.
int startAndDropAsPidOne(const QString& server) {
    const pid_t outer = ::fork();
    if (outer == 0) {
        if (::unshare(CLONE_NEWPID) != 0)
            ::_exit(77);
        const pid_t inner = ::fork();
        if (inner == 0) {
            struct sigaction action = {};
            action.sa_handler = [](int) { handoffTermSeen = 1; };
            ::sigaction(SIGTERM, &action, nullptr);
            ClipboardPayload payload;
            payload.text = "hello";
            ClipboardHandoff::start(server, ClipboardServer::Session::x11)->handOff(payload);
            ::_exit(handoffTermSeen ? 1 : 0);
        }
        int status = 0;
        ::waitpid(inner, &status, 0);
        ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 2);
    }
    int status = 0;
    ::waitpid(outer, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}
} // namespace

// A server that ends before it takes the payload, that cannot start, or that cannot reach its
// session's display (the real one, told which session) is reported at once with its reason, and
// neither the payload, its draft nor the reason's file stays behind. (Unit tests have no
// XDG_RUNTIME_DIR: the payload goes to the caches folder.)
TEST(ClipboardHandoff, AServerThatNeverTakesThePayloadIsReportedAndLeavesNothing) {
    const QString folder = StandardLocations::cachesDirectory() + "/Vantrel/clipboard";
    ClipboardPayload payload;
    payload.text = "hello";
    using Session = ClipboardServer::Session;
    const struct {
        QString server;
        Session session;
        const char* variable;
        QString reason;
    } cases[] = {
        {"/bin/true", Session::x11, nullptr,
         "the clipboard server stopped before it took the payload"},
        {folder + "/no-such-server", Session::x11, nullptr,
         "could not start the clipboard server " + folder},
        {VANTREL_CLIPBOARD_SERVER, Session::x11, "DISPLAY",
         "Cannot reach the X server at \"" + unreachable},
        {VANTREL_CLIPBOARD_SERVER, Session::wayland, "WAYLAND_DISPLAY",
         "Cannot reach the Wayland compositor at \"" + unreachable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        const std::optional<QByteArray> saved = c.variable && qEnvironmentVariableIsSet(c.variable)
                                                    ? std::optional(qgetenv(c.variable))
                                                    : std::nullopt;
        if (c.variable)
            qputenv(c.variable, unreachable.toUtf8());
        auto handoff = ClipboardHandoff::start(c.server, c.session);
        const QString reason = handoff->handOff(payload).value_or("");
        if (c.variable && saved)
            qputenv(c.variable, *saved);
        else if (c.variable)
            qunsetenv(c.variable);
        EXPECT_TRUE(reason.startsWith(c.reason)) << reason.toStdString();
        handoff.reset();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }
}

// A server that runs but never takes the payload is given up at 5 s on the clock, not before,
// and stopped with the payload removed.
TEST(ClipboardHandoff, AServerThatNeverTakesThePayloadIsGivenUpAtFiveSeconds) {
    QTemporaryDir bin;
    const QString server = bin.filePath("stuck-server");
    QFile script(server);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    ASSERT_GT(script.write("#!/bin/sh\nexec sleep 60\n"), 0);
    script.close();
    ASSERT_TRUE(script.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    VirtualClock clock;
    ClipboardPayload payload;
    payload.text = "hello";
    auto handoff = ClipboardHandoff::start(server, ClipboardServer::Session::x11, clock);
    EXPECT_EQ(handoff->handOff(payload),
              "the clipboard server did not take the payload within 5 s");
    EXPECT_EQ(clock.elapsed(), std::chrono::milliseconds(5000));
    handoff.reset();
    const QString folder = StandardLocations::cachesDirectory() + "/Vantrel/clipboard";
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

// The server is beside the running executable (the build tree) or in lib/vantrel/ under its
// prefix (an install), the first one found; without either, the handoff fails with where it
// looked, before anything is written or started.
TEST(ClipboardHandoff, FindsTheServerBesideTheExecutableOrUnderItsPrefix) {
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath("bin") && QDir(prefix.path()).mkpath("lib/vantrel"));
    const QString beside = prefix.filePath("bin/vantrel-clipboard");
    const QString installed = prefix.filePath("lib/vantrel/vantrel-clipboard");
    const auto place = [](const QString& path, QFile::Permissions permissions) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.setPermissions(permissions);
    };
    const QString executable = prefix.filePath("bin/vantrel");
    const QFile::Permissions runnable = QFile::ReadOwner | QFile::ExeOwner;
    const struct {
        const char* name;
        QStringList present;
        QFile::Permissions permissions;
        std::optional<QString> found;
    } cases[] = {
        {"neither", {}, runnable, std::nullopt},
        {"not executable", {installed}, QFile::ReadOwner, std::nullopt},
        {"installed", {installed}, runnable, installed},
        {"both: beside first", {installed, beside}, runnable, beside},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& path : c.present)
            ASSERT_TRUE(place(path, c.permissions));
        QString missing;
        EXPECT_EQ(ClipboardServerProgram::find(executable, missing), c.found);
        EXPECT_EQ(missing.isEmpty(), c.found.has_value()) << missing.toStdString();
        QFile::remove(beside);
        QFile::remove(installed);
    }
    ClipboardPayload payload;
    payload.text = "hello";
    EXPECT_EQ(ClipboardHandoff::startFor(executable, ClipboardServer::Session::x11)
                  ->handOff(payload)
                  .value_or(""),
              "the clipboard server vantrel-clipboard is missing: it is neither in " +
                  prefix.filePath("bin") + " nor in " + prefix.filePath("lib/vantrel"));
    const QString folder = StandardLocations::cachesDirectory() + "/Vantrel/clipboard";
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

// A start that fails (the payload's folder is a file, or no server to start) reports why and, let
// go, signals no process: it has no server to stop.
TEST(ClipboardHandoff, AFailedStartReportsWhyAndSignalsNobody) {
    QTemporaryDir runtime;
    QFile blocker(runtime.filePath("vantrel"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const HandoffRuntimeDir runtimeDir(runtime.path());
    const struct {
        QString server;
        QString reason;
    } cases[] = {
        {"/bin/true", runtime.filePath("vantrel") + ": Not a directory"},
        {runtime.filePath("no-such-server"), "could not start the clipboard server "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        if (c.server != "/bin/true")
            blocker.remove();
        ClipboardPayload payload;
        payload.text = "hello";
        const auto reason = ClipboardHandoff::start(c.server, ClipboardServer::Session::x11)
                                ->handOff(payload)
                                .value_or("");
        EXPECT_TRUE(reason.startsWith(c.reason)) << reason.toStdString();
        const int signalled = startAndDropAsPidOne(c.server);
        if (signalled == 77)
            GTEST_SKIP() << "no PID namespace of its own could be made (it needs root)";
        EXPECT_EQ(signalled, 0) << "a failed start sent SIGTERM to pid 1";
    }
}

// A filesystem full to the brim (a 64 KiB tmpfs, mounted as root): the payload's write fails with
// the system's reason and neither the payload nor its draft is left in the folder.
TEST(ClipboardHandoff, AFullFilesystemIsReportedAndLeavesNothing) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a full filesystem needs root";
    QTemporaryDir runtime;
    const QByteArray mountPoint = QFile::encodeName(runtime.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k,mode=0700") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    const std::shared_ptr<void> unmount(
        nullptr, [&](void*) { ::umount2(mountPoint.constData(), MNT_DETACH); });
    const HandoffRuntimeDir runtimeDir(runtime.path());
    auto handoff = ClipboardHandoff::start("/bin/true", ClipboardServer::Session::x11);
    const int filler = ::open((mountPoint + "/filler").constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(filler, 0);
    const std::array<char, 4096> block{};
    while (::write(filler, block.data(), block.size()) > 0) {
    }
    ::close(filler);
    ClipboardPayload payload;
    payload.text = "hello";
    const QString reason = handoff->handOff(payload).value_or("");
    EXPECT_TRUE(reason.endsWith(": No space left on device")) << reason.toStdString();
    EXPECT_EQ(QDir(runtime.filePath("vantrel")).entryList(QDir::Files | QDir::Hidden),
              QStringList{});
}
