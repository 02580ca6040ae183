// The backend contract (support/BackendContract.h) against the simulated desktop and the X11
// backend on the private desktop: the same calls, the same answers.
#include "support/BackendContract.h"
#include "accessibility/AccessibilityCaptureService.h"
#include "platform/AccessibilityPlatform.h"
#include "platform/NotificationCenter.h"
#include "platform/ScreenCapturePlatform.h"
#include "platform/ScreenList.h"
#include "platform/SimTestSupport.h"
#include "platform/VirtualClock.h"
#include "platform/WindowServer.h"
#include "platform/linux/LinuxDesktop.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/SystemPermissionsService.h"
#include "support/DesktopTools.h"
#include "support/TestApplication.h"
#include "support/WaitUntil.h"

#include <QCoro/QCoroTask>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

class SimContract {
  public:
    SimContract()
        : m_desktop(SceneLoader::fromJson(R"({
            "screens": [{"frame": [0, 0, 1440, 900], "scale": 2, "number": 7}],
            "mouse": [10, 10], "frontmost": 41,
            "apps": [{"pid": 41, "name": "Front"}, {"pid": 42, "name": "Back"}],
            "windows": [
              {"id": 1, "pid": 41, "title": "Vantrel Probe", "bounds": [120, 90, 800, 600],
               "ax": {"role": "AXWindow", "title": "Vantrel Probe", "frame": [120, 90, 800, 600],
                      "children": [{"role": "AXGroup", "frame": [120, 130, 800, 560], "children": [
                        {"role": "AXButton", "title": "Paint", "frame": [132, 144, 160, 60]}]}]}},
              {"id": 2, "pid": 42, "title": "Back Probe", "bounds": [960, 100, 400, 300],
               "ax": {"role": "AXWindow", "title": "Back Probe", "frame": [960, 100, 400, 300],
                      "children": [{"role": "AXButton", "title": "Paint", "frame": [972, 154, 160, 60]}]}}
            ]})")) {}

    const QString closedWindowText = "The capture source is not available.";
    Platform platform() { return m_desktop.platform(); }
    KnownWindow front() const { return {41, "Vantrel Probe", {132, 144, 160, 60}}; }
    KnownWindow back() const { return {42, "Back Probe", {972, 154, 160, 60}}; }
    void raise(const KnownWindow& window) { m_desktop.raiseWindow(window.pid == 41 ? 1 : 2); }
    std::optional<QString> publishPasteboard() { return std::nullopt; }
    QString readBack(const QString& type) const {
        const QJsonObject item = m_desktop.pasteboard().dump().first().toObject();
        return item[type == "text/uri-list" ? Pasteboard::fileURLType : Pasteboard::plainTextType]
            .toString();
    }

  private:
    SimDesktop m_desktop;
};

class LinuxContract {
  public:
    LinuxContract()
        : m_back(TestApplication::gtk(
              {"--title", "Back Probe", "--x", "960", "--y", "100", "--size", "400x300"})),
          m_front(TestApplication::gtk()) {
        QString reason;
        m_desktop = LinuxDesktop::open({QStringLiteral(VANTREL_BINARY)}, reason);
        if (!m_desktop)
            throw std::runtime_error(reason.toStdString());
        m_front.waitForAccessible("Paint", "push button");
        m_back.waitForAccessible("Paint", "push button");
    }

    const QString closedWindowText = "The window 0x7ffffff0 has closed.";
    Platform platform() { return m_desktop->platform(); }
    KnownWindow front() const { return known(m_front); }
    KnownWindow back() const { return known(m_back); }
    // Raised the way a user does it, through the window manager.
    void raise(const KnownWindow& window) {
        const TestApplication& app = window.pid == m_front.pid() ? m_front : m_back;
        QProcess::execute("xdotool", {"windowactivate", "--sync", QString::number(app.windowId())});
        auto& windows = m_desktop->platform().windowServer;
        waitUntil([&] {
            const auto list = windows.onScreenWindows();
            return list && !list->isEmpty() && list->first().name == window.title;
        });
    }
    std::optional<QString> publishPasteboard() { return m_desktop->handOffClipboard(); }
    QString readBack(const QString& type) const { return QString::fromUtf8(clipboard(type)); }

  private:
    static KnownWindow known(const TestApplication& app) {
        return {app.pid(), app.title(), QRectF(app.paintButton())};
    }

    TestApplication m_back;
    TestApplication m_front;
    std::unique_ptr<LinuxDesktop> m_desktop;
};

using DesktopBackends = ::testing::Types<SimContract, LinuxContract>;
INSTANTIATE_TYPED_TEST_SUITE_P(Desktops, BackendContract, DesktopBackends);

// A capture lets go of every element it read, so a tray app that captures for weeks keeps none;
// a handle kept from before reads as an invalid element, never as another one.
TEST(LinuxBackend, ACaptureLetsGoOfTheElementsItRead) {
    LinuxContract desktop;
    const Platform platform = desktop.platform();
    auto& atspi = static_cast<AtspiAccessibility&>(platform.accessibility);
    const QPointF centre = desktop.front().button.center();
    const auto kept =
        atspi.elementAtPosition(atspi.systemWideElement(), float(centre.x()), float(centre.y()));
    ASSERT_TRUE(kept);
    EXPECT_GT(atspi.heldObjectCount(), 0);

    NotificationCenter center;
    VirtualClock clock;
    const SystemPermissionsService permissions(platform, center, clock);
    QTemporaryDir snapshots;
    AccessibilityCaptureService service(platform, permissions, clock, 4, 120, 24, snapshots.path());
    const QPointF bottomLeftCentre(centre.x(),
                                   platform.screens.screens().first().frame.height() - centre.y());
    EXPECT_EQ(service.captureUnderMouse(bottomLeftCentre, {}, false).summary.left(6), "Button");
    EXPECT_EQ(atspi.heldObjectCount(), 0);
    EXPECT_EQ(atspi.copyAttributeValue(*kept, "AXRole").error, AtspiAccessibility::invalidElement);
}

} // namespace
} // namespace vantrel::testing
