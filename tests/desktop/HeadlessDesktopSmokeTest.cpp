// Proves the fixture: what the probes report is where the X server, AT-SPI and the screen's
// pixels say it is, and the probes go when their handles do.
#include "support/AccessibleLookup.h"
#include "support/TestApplication.h"
#include "support/WaitUntil.h"
#include "support/XcbDesktop.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <ostream>

namespace vantrel::testing {
namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
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

struct Placement {
    const char* name;
    QStringList arguments;
    QRect window;
};

void PrintTo(const Placement& placement, std::ostream* out) {
    *out << placement.name;
}

class GtkProbePlacement : public ::testing::TestWithParam<Placement> {};

TEST_P(GtkProbePlacement, WindowIsWhereItSaysAndWhereItWasAsked) {
    const TestApplication app = TestApplication::gtk(GetParam().arguments);
    EXPECT_EQ(app.window(), GetParam().window);
    EXPECT_EQ(windowFoundByXdotool(app.pid(), app.title()), GetParam().window);
    EXPECT_TRUE(app.window().contains(app.paintButton()));
}

INSTANTIATE_TEST_SUITE_P(Placements, GtkProbePlacement,
                         ::testing::Values(Placement{"Default", {}, QRect(120, 90, 800, 600)},
                                           Placement{"MovedAndResized",
                                                     {"--x", "300", "--y", "200", "--size",
                                                      "640x480", "--title", "Moved Probe"},
                                                     QRect(300, 200, 640, 480)}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Accessible {
    const char* testName;
    QString name;
    QString role;
    bool showing;
};

void PrintTo(const Accessible& accessible, std::ostream* out) {
    *out << accessible.testName;
}

class GtkProbeAccessibility : public ::testing::TestWithParam<Accessible> {};

TEST_P(GtkProbeAccessibility, TreeHoldsTheNode) {
    const TestApplication app = TestApplication::gtk();
    const auto node = app.waitForAccessible(GetParam().name, GetParam().role);
    ASSERT_TRUE(node);
    EXPECT_EQ(node->showing, GetParam().showing);
    // Scrolled-out nodes sit at G_MININT, where QRect's own intersection arithmetic overflows.
    EXPECT_EQ(app.window().contains(node->extents.topLeft()), GetParam().showing);
}

INSTANTIATE_TEST_SUITE_P(Nodes, GtkProbeAccessibility,
                         ::testing::Values(Accessible{"Paint", "Paint", "push button", true},
                                           Accessible{"Save", "Save", "push button", true},
                                           Accessible{"Password", "", "password text", true},
                                           Accessible{"FirstRow", "Row 1", "label", true},
                                           Accessible{"ScrolledOutRow", "Row 40", "label", false}),
                         [](const auto& info) { return std::string(info.param.testName); });

TEST(GtkProbe, PaintButtonAccessibleExtentsAreItsReportedRect) {
    const TestApplication app = TestApplication::gtk();
    const auto paint = app.waitForAccessible("Paint", "push button");
    ASSERT_TRUE(paint);
    EXPECT_EQ(paint->extents, app.paintButton());
}

TEST(GtkProbe, PaintButtonCentreHasItsColourAndTheDesktopDoesNot) {
    const TestApplication app = TestApplication::gtk();
    const XcbDesktop desktop;
    const QColor paint(0x1e, 0x90, 0xff);
    EXPECT_TRUE(waitUntil([&] { return desktop.pixel(app.paintButton().center()) == paint; }))
        << desktop.pixel(app.paintButton().center()).value_or(QColor()).name().toStdString();
    EXPECT_NE(desktop.pixel(app.window().bottomRight() + QPoint(40, 40)), paint);
}

TEST(QtProbe, WindowAndButtonAreWhereItSays) {
    const TestApplication app = TestApplication::qt();
    EXPECT_EQ(windowFoundByXdotool(app.pid(), app.title()), app.window());
    const auto button = app.waitForAccessible("Qt Button", "push button");
    ASSERT_TRUE(button);
    EXPECT_EQ(button->extents, app.qtButton());
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
