// Proves what no other desktop test does: the fixture reports a probe where tools apart from its
// own xcb code find it, and the probe goes when its handle does.
#include "support/DesktopTools.h"
#include "support/TestApplication.h"
#include "support/WaitUntil.h"
#include "support/XcbDesktop.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

namespace vantrel::testing {
namespace {

QString run(const QString& program, const QStringList& arguments) {
    return QString::fromUtf8(toolOutput(program, arguments));
}

// Found by xdotool, measured by xwininfo: tools apart from the fixture's own xcb code.
QRect windowFoundByXdotool(qint64 pid, const QString& title) {
    const QStringList ids = run("xdotool", {"search", "--onlyvisible", "--pid",
                                            QString::number(pid), "--name", "^" + title + "$"})
                                .split('\n', Qt::SkipEmptyParts);
    if (ids.size() != 1)
        return {};
    const QString info = run("xwininfo", {"-id", ids[0]});
    const auto field = [&](const QString& name) {
        const qsizetype at = info.indexOf(name);
        return at < 0 ? -1 : info.mid(at + name.size()).section('\n', 0, 0).trimmed().toInt();
    };
    return {field("Absolute upper-left X:"), field("Absolute upper-left Y:"), field("Width:"),
            field("Height:")};
}

TEST(GtkProbe, AMovedAndResizedWindowIsWhereItSaysAndWhereItWasAsked) {
    const TestApplication app = TestApplication::gtk(
        {"--x", "300", "--y", "200", "--size", "640x480", "--title", "Moved Probe"});
    EXPECT_EQ(app.window(), QRect(300, 200, 640, 480));
    EXPECT_EQ(windowFoundByXdotool(app.pid(), app.title()), app.window());
}

TEST(TestApplicationLifetime, ProbeAndItsWindowGoWithTheHandle) {
    qint64 pid = 0;
    quint32 windowId = 0;
    {
        const TestApplication app = TestApplication::gtk();
        pid = app.pid();
        windowId = app.windowId();
    }
    const XcbDesktop desktop;
    EXPECT_TRUE(waitUntil([&] {
        const auto windows = desktop.clientWindows();
        return ::kill(pid, 0) != 0 && std::none_of(windows.begin(), windows.end(),
                                                   [&](auto& w) { return w.id == windowId; });
    }));
}

} // namespace
} // namespace vantrel::testing
