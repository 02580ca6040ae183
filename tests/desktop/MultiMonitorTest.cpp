// Several monitors on the private desktop (a taller one to the right of the primary, or a wider
// one below it): captures, the toast and the area overlay land on the monitor they belong to,
// and every conversion to the core's bottom-left points uses the primary monitor's height.
#include "input/CopyToast.h"
#include "platform/linux/LinuxDesktop.h"
#include "support/AccessibleLookup.h"
#include "support/DesktopTools.h"
#include "support/MonitorLayout.h"
#include "support/TestApplication.h"
#include "support/TrayApp.h"
#include "support/VantrelProcess.h"
#include "support/WaitUntil.h"
#include "ui/widgets/AreaSelectionOverlay.h"
#include "ui/widgets/RegionSelectionWindow.h"

#include <QCoro/QCoroTask>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QScreen>
#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

std::unique_ptr<LinuxDesktop> openDesktop() {
    QString reason;
    auto desktop = LinuxDesktop::open({QStringLiteral(VANTREL_BINARY)}, reason);
    if (!desktop)
        throw std::runtime_error(reason.toStdString());
    return desktop;
}

QRect rectOf(const QJsonValue& value) {
    return QRectF(value["x"].toDouble(), value["y"].toDouble(), value["width"].toDouble(),
                  value["height"].toDouble())
        .toRect();
}

QJsonObject snapshotOf(const QJsonObject& report) {
    QFile file(report["bundle"]["accessibilityURL"].toString());
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll()).object();
}

std::string text(const QRect& r) {
    return QString("%1,%2 %3×%4")
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height())
        .toStdString();
}

bool near(const QRect& a, const QRect& b, int slack = 2) {
    return (a.topLeft() - b.topLeft()).manhattanLength() <= slack &&
           qAbs(a.width() - b.width()) + qAbs(a.height() - b.height()) <= slack;
}

QStringList probeAt(QPoint topLeft, QSize size = {600, 400}) {
    return {"--x",    QString::number(topLeft.x()),
            "--y",    QString::number(topLeft.y()),
            "--size", QString("%1x%2").arg(size.width()).arg(size.height())};
}

// A capture at the button of a window on the second monitor: the tree's frames, the mouse point
// and the picture all show that button where it is.
TEST(MultiMonitor, ACaptureOnTheSecondMonitorAgreesWithWhatItShows) {
    const struct {
        const MonitorSet& set;
        QPoint window;
    } cases[] = {{sideBySide, {1600, 300}}, {stacked, {300, 200}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set.name.toStdString());
        const MonitorLayout layout(c.set);
        const TestApplication app = TestApplication::gtk(probeAt(c.window));
        ASSERT_TRUE(app.waitForAccessible("Paint", "push button"));
        const QRect paint = app.paintButton();
        ASSERT_TRUE(c.set.monitors[1].contains(paint));
        VantrelProcess vantrel;
        const auto result =
            vantrel.run({"capture", "--at", c.set.bottomLeft(paint.center()), "--json"});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QJsonObject report = result.json();
        const QJsonObject snapshot = snapshotOf(report);
        EXPECT_EQ(snapshot["tree"]["title"].toString(), "Paint");
        EXPECT_TRUE(near(rectOf(snapshot["tree"]["frame"]), c.set.topLeft(paint)))
            << text(rectOf(snapshot["tree"]["frame"]));
        EXPECT_EQ(QPointF(snapshot["mouse"]["x"].toDouble(), snapshot["mouse"]["y"].toDouble()),
                  QPointF(paint.center() - c.set.monitors[0].topLeft()));
        const QImage picture(report["bundle"]["screenshotURL"].toString());
        EXPECT_NEAR(pixelsOfColour(picture, paintColour), paint.width() * paint.height(),
                    paint.width() * paint.height() / 10);
    }
}

// With no window in front, the picture on the clipboard is the primary monitor's, wherever it is.
TEST(MultiMonitor, WithoutAFrontWindowThePrimaryMonitorIsPictured) {
    for (const MonitorSet* set : {&sideBySide, &stacked}) {
        SCOPED_TRACE(set->name.toStdString());
        const MonitorLayout layout(*set);
        VantrelProcess vantrel;
        const auto result =
            vantrel.run({"capture", "--mode", "screenshot", "--front-window", "--json"});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QJsonObject report = result.json();
        const QJsonValue picture = report["pasteboard"][0]["public.tiff"];
        EXPECT_EQ(QSize(picture["width"].toInt(), picture["height"].toInt()),
                  set->monitors[0].size());
    }
}

// A window across the boundary belongs to the monitor with more of it, and its picture is whole;
// an area across it is pictured on the monitor that holds most of the area, its tree keeps what
// lies on both.
TEST(MultiMonitor, AWindowAndAnAreaAcrossTheBoundary) {
    const MonitorLayout layout(sideBySide);
    const TestApplication app = TestApplication::gtk(probeAt({1350, 300}, {800, 500}));
    ASSERT_TRUE(app.waitForAccessible("Paint", "push button"));
    const QRect paint = app.paintButton();
    const auto desktop = openDesktop();
    EXPECT_EQ(desktop->platform().screens.mainScreen()->frame.x(), 1440);

    VantrelProcess vantrel;
    const auto window = vantrel.run({"capture", "--front-window", "--json"});
    ASSERT_EQ(window.exitCode, 0) << window.err.toStdString();
    const QJsonObject windowReport = window.json();
    const QImage whole(windowReport["bundle"]["screenshotURL"].toString());
    EXPECT_GT(whole.width(), app.window().width());
    EXPECT_NEAR(pixelsOfColour(whole, paintColour), paint.width() * paint.height(),
                paint.width() * paint.height() / 10);

    const QRect area(1400, paint.top() - 20, 400, 200); // 40 pixels left of the boundary
    const auto region = vantrel.run({"capture", "--region", sideBySide.bottomLeft(area), "--json"});
    ASSERT_EQ(region.exitCode, 0) << region.err.toStdString();
    const QJsonObject regionReport = region.json();
    const QImage part(regionReport["bundle"]["screenshotURL"].toString());
    EXPECT_EQ(part.size(), QSize(360, 200));
    const QRect paintOnRight = paint.intersected(QRect(1440, 0, 1280, 1024));
    EXPECT_NEAR(pixelsOfColour(part, paintColour), paintOnRight.width() * paintOnRight.height(),
                paintOnRight.width() * paintOnRight.height() / 5);
    EXPECT_TRUE(VantrelProcess::readText(regionReport["bundle"]["accessibilityURL"].toString())
                    .contains("\"Paint\""));
}

// Ctrl+Alt+C over a probe on either monitor: the toast shows at the bottom centre of the monitor
// under the pointer, on a desktop whose monitors changed while the app ran.
TEST(MultiMonitor, TheToastIsOnTheMonitorUnderThePointer) {
    VantrelProcess home;
    TrayApp app(home);
    ASSERT_TRUE(app.waitUntilRunning()) << app.errors().toStdString();
    const struct {
        const MonitorSet& set;
        int monitor;
    } cases[] = {{sideBySide, 1}, {stacked, 1}, {stacked, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set.name.toStdString() + " " + std::to_string(c.monitor));
        const MonitorLayout layout(c.set);
        const QRect monitor = c.set.monitors[c.monitor];
        const TestApplication probe =
            TestApplication::gtk(probeAt(monitor.topLeft() + QPoint(200, 200)));
        ASSERT_TRUE(probe.waitForAccessible("Paint", "push button"));
        xdotool(mouseMove(probe.paintButton().center()));
        xdotool({"key", "ctrl+alt+c"});
        QRect toast;
        EXPECT_TRUE(waitUntil([&] {
            toast = windowGeometry("^Copied ");
            return monitor.contains(toast);
        })) << text(toast)
            << " " << app.errors().toStdString();
        EXPECT_LE(qAbs(toast.center().x() - monitor.center().x()), 1);
        EXPECT_EQ(monitor.bottom() - toast.bottom(), CopyToast::bottomMargin);
    }
}

QCoro::Task<> selectInto(AreaSelectionOverlay* overlay, std::optional<std::optional<QRectF>>* out) {
    *out = co_await overlay->selectRegion();
}

// The middle of the hint's white text in the band where it hangs below a monitor's top edge (root
// pixels); none before it is painted.
std::optional<int> hintMiddle(const QRect& monitor) {
    const QImage band = QGuiApplication::primaryScreen()
                            ->grabWindow(0, monitor.x(), monitor.y() + 28, monitor.width(), 40)
                            .toImage();
    int left = band.width(), right = -1;
    for (int y = 0; y < band.height(); ++y) {
        for (int x = 0; x < band.width(); ++x) {
            if (qGray(band.pixel(x, y)) > 200) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return right < 0 ? std::nullopt : std::optional(monitor.x() + (left + right) / 2);
}

QList<RegionSelectionWindow*> overlayWindows() {
    QList<RegionSelectionWindow*> windows;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (auto* panel = qobject_cast<RegionSelectionWindow*>(window); panel && panel->isExposed())
            windows.append(panel);
    }
    return windows;
}

// The overlay puts one panel on every monitor, each with its hint at its own top; a drag
// from one monitor to the other is the area between the two points. A monitor that goes away
// while the mouse is down cancels the selection instead.
TEST(MultiMonitor, TheOverlayCoversEveryMonitorAndADragMayCrossThem) {
    const struct {
        const char* name;
        bool unplugBeforeRelease;
    } cases[] = {{"drag across", false}, {"monitor unplugged", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto layout = std::make_unique<MonitorLayout>(sideBySide);
        const auto desktop = openDesktop();
        Platform platform = desktop->platform();
        AreaSelectionOverlay overlay(platform.screens, platform.screenCapture,
                                     AreaSelectionOverlay::Backdrop::FrozenScreens);
        std::optional<std::optional<QRectF>> selection;
        const QCoro::Task<> task = selectInto(&overlay, &selection);
        ASSERT_TRUE(waitUntil([] { return overlayWindows().size() == 2; }));
        QList<QRect> covered;
        for (const RegionSelectionWindow* window : overlayWindows())
            covered.append(window->geometry());
        std::sort(covered.begin(), covered.end(),
                  [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
        EXPECT_EQ(covered, sideBySide.monitors);
        // Each monitor shows the hint at the middle of its own top edge.
        for (const QRect& monitor : sideBySide.monitors) {
            std::optional<int> middle;
            EXPECT_TRUE(waitUntil([&] { return (middle = hintMiddle(monitor)).has_value(); }));
            EXPECT_LE(qAbs(middle.value_or(0) - monitor.center().x()), 3) << monitor.x();
        }

        xdotool({"mousemove", "1300", "200", "mousedown", "1"});
        xdotool({"mousemove", "1500", "300"});
        xdotool({"mousemove", "1600", "400"});
        if (c.unplugBeforeRelease)
            layout.reset();
        xdotool({"mouseup", "1"});
        ASSERT_TRUE(waitUntil([&] { return selection.has_value(); }));
        if (c.unplugBeforeRelease) {
            EXPECT_EQ(*selection, std::nullopt);
        } else {
            ASSERT_TRUE(*selection);
            // Bottom-left points: y from the primary monitor's bottom edge.
            EXPECT_EQ(**selection, QRectF(1300, 900 - 400, 300, 200));
        }
        EXPECT_TRUE(waitUntil([] { return overlayWindows().isEmpty(); }));
    }
}

} // namespace
} // namespace vantrel::testing
