// The paths the tests' desktop never takes on its own: no window manager (the window list comes
// from the tree query), no MIT-SHM (pictures through the plain request), and an application that
// leaves the accessibility bus while its tree is being read.
#include "platform/linux/LinuxDesktop.h"
#include "platform/linux/X11ShmPool.h"
#include "support/DesktopTools.h"
#include "support/TestApplication.h"
#include "support/VantrelProcess.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <stdexcept>

namespace vantrel::testing {
namespace {

// A second private desktop, started with options of the fixture's script; while this lives, the
// programs a test starts (probes, vantrel, xdotool) run on it.
class SecondDesktop {
  public:
    explicit SecondDesktop(const QStringList& options) {
        const QString script = VANTREL_SOURCE_DIR "/tests/desktop/headless-desktop.sh";
        if (QProcess::execute(script, QStringList{"start", m_state.path()} + options) != 0)
            throw std::runtime_error("the second desktop did not start");
        QFile env(m_state.path() + "/env");
        env.open(QIODevice::ReadOnly);
        for (const QByteArray& line : env.readAll().split('\n')) {
            for (const QByteArray name : {"DISPLAY", "DBUS_SESSION_BUS_ADDRESS"}) {
                if (line.startsWith("export " + name + "='")) {
                    m_saved.append({name, qgetenv(name)});
                    qputenv(name, line.mid(name.size() + 9).chopped(1));
                }
            }
        }
    }
    ~SecondDesktop() {
        for (const auto& [name, value] : m_saved)
            qputenv(name, value);
        QProcess::execute(VANTREL_SOURCE_DIR "/tests/desktop/headless-desktop.sh",
                          {"stop", m_state.path()});
    }

  private:
    QTemporaryDir m_state;
    QList<std::pair<QByteArray, QByteArray>> m_saved;
};

// Two probes on a bare server, the newer mapped over the older one's button: the window at the
// point is the one on top, and the picture is read without shared memory.
TEST(X11Fallbacks, WithoutAWindowManagerOrSharedMemoryTheTopWindowIsCapturedWithItsPixels) {
    const SecondDesktop bare({"--no-window-manager", "--no-shared-memory"});
    const TestApplication under =
        TestApplication::gtk({"--title", "Under Probe", "--x", "124", "--y", "94"});
    const TestApplication top = TestApplication::gtk();
    const QRect paint = top.paintButton();
    VantrelProcess vantrel;
    VantrelProcess::Result result;
    // The probe's tree reaches the bus a moment after its window shows.
    ASSERT_TRUE(waitUntil([&] {
        result = vantrel.run({"capture", "--at", bottomLeft(paint.center()), "--json"});
        return result.exitCode == 0 && result.out.contains("AXButton");
    })) << result.err.toStdString();
    const QJsonObject report = result.json();
    const QString snapshot =
        VantrelProcess::readText(report["bundle"]["accessibilityURL"].toString());
    EXPECT_TRUE(snapshot.contains("\"Vantrel Probe\"")) << snapshot.toStdString();
    EXPECT_FALSE(snapshot.contains("Under Probe"));
    const QImage picture(report["bundle"]["screenshotURL"].toString());
    EXPECT_NEAR(pixelsOfColour(picture, paintColour), paint.width() * paint.height(),
                paint.width() * paint.height() / 10);
}

// The application quits while its tree is read: the capture fails saying so, leaves no folder that
// would look whole and the clipboard as it was.
TEST(X11Fallbacks, AnApplicationThatQuitsInTheMiddleOfAWalkFailsTheCapture) {
    TestApplication app = TestApplication::qt({}, {"--leave-when-walked"});
    ASSERT_TRUE(app.waitForAccessible("Press", "push button"));
    ASSERT_TRUE(app.tell("arm", "armed"));
    QProcess::execute("bash", {"-c", "echo before | xclip -selection clipboard >/dev/null 2>&1"});
    VantrelProcess vantrel;
    const auto result = vantrel.run({"capture", "--front-window", "--json"});
    EXPECT_EQ(result.exitCode, 1) << result.out.toStdString();
    EXPECT_EQ(result.json()["error"].toString(),
              "The application quit while its accessibility tree was being read.");
    EXPECT_FALSE(QDir(vantrel.cacheDir() + "/Vantrel/captures").exists());
    EXPECT_EQ(clipboard("UTF8_STRING"), "before\n");
}

// A front window that does not say which process it belongs to is no application, and a name
// property that is not text is not read as text: nothing is guessed from either.
TEST(X11Fallbacks, AFrontWindowWithoutAProcessIdOrATextNameIsNotGuessedAt) {
    const TestApplication app = TestApplication::gtk();
    const QString id = QString::number(app.windowId());
    QProcess::execute("xdotool", {"windowactivate", "--sync", id});
    QString reason;
    const auto desktop = LinuxDesktop::open({QStringLiteral(VANTREL_BINARY)}, reason);
    ASSERT_TRUE(desktop) << reason.toStdString();
    const WindowServer& windows = desktop->platform().windowServer;
    ASSERT_TRUE(waitUntil([&] {
        const auto front = windows.frontmostApplication();
        return front && front->pid == app.pid();
    }));
    QProcess::execute("xprop", {"-id", id, "-remove", "_NET_WM_PID"});
    EXPECT_TRUE(waitUntil([&] { return !windows.frontmostApplication(); }));

    QProcess::execute("xprop",
                      {"-id", id, "-f", "_NET_WM_NAME", "32c", "-set", "_NET_WM_NAME", "5"});
    const auto named = [&] {
        for (const WindowListEntry& entry :
             windows.onScreenWindows().value_or(QList<WindowListEntry>{}))
            if (entry.number == app.windowId())
                return entry.name.value_or(QString());
        return QString();
    };
    EXPECT_TRUE(waitUntil([&] { return named() == app.title(); })) << named().toStdString();
}

// Shared memory for pictures: a segment given back is handed out again, the smallest that holds
// the picture first, and no more than two are kept.
TEST(X11Fallbacks, TheSharedMemoryPoolReusesTheSmallestSegmentThatFits) {
    const std::shared_ptr<xcb_connection_t> connection(xcb_connect(nullptr, nullptr),
                                                       &xcb_disconnect);
    X11ShmPool pool(connection.get());
    const size_t page = 4096;
    const auto small = pool.take(page), large = pool.take(3 * page), third = pool.take(page);
    ASSERT_TRUE(small && large && third);
    pool.giveBack(*large);
    pool.giveBack(*small);
    pool.giveBack(*third); // one too many: let go
    EXPECT_EQ(pool.take(100)->id, small->id);
    EXPECT_EQ(pool.take(2 * page)->id, large->id);
    const auto fresh = pool.take(page);
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh->id, third->id);
    pool.close();
}

} // namespace
} // namespace vantrel::testing
