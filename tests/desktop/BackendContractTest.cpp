// What every backend must do, written once and run against the simulated
// desktop and against the X11 backend on the private desktop: the same calls,
// the same answers.
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

// A window of the desktop under test with one known button, in top-left global
// points.
struct KnownWindow {
    qint64 pid = 0;
    QString title;
    QRectF button; // titled "Paint"
};

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

template <class Desktop> class BackendContract : public ::testing::Test {
  protected:
    BackendContract() { desktop.raise(desktop.front()); }

    AXReadResult read(AXElement element, const char* attribute) {
        return platform.accessibility.copyAttributeValue(element, attribute);
    }
    QString text(AXElement element, const char* attribute) {
        const AXReadResult result = read(element, attribute);
        const auto* value = std::get_if<QString>(&result.value);
        return result.succeeded() && value ? *value : QString();
    }
    QRectF frame(AXElement element) {
        const auto position = unpackPoint(read(element, "AXPosition").value);
        const auto size = unpackSize(read(element, "AXSize").value);
        return position && size ? QRectF(*position, *size) : QRectF();
    }

    Desktop desktop;
    Platform platform = desktop.platform();
};

// Shared memory this process has mapped: the X11 backend's pictures live in it.
qsizetype sharedMemoryMappings() {
    QFile maps("/proc/self/maps");
    return maps.open(QIODevice::ReadOnly) ? maps.readAll().count("SYSV") : -1;
}

using Backends = ::testing::Types<SimContract, LinuxContract>;
TYPED_TEST_SUITE(BackendContract, Backends);

TYPED_TEST(BackendContract, TheDeepestElementAtAPointIsTheButtonAtItsFrame) {
    const KnownWindow front = this->desktop.front();
    auto& accessibility = this->platform.accessibility;
    const QPointF centre = front.button.center();
    const auto element =
        accessibility.elementAtPosition(accessibility.systemWideElement(), centre.x(), centre.y());
    ASSERT_TRUE(element);
    EXPECT_EQ(this->text(*element, "AXRole"), "AXButton");
    EXPECT_EQ(this->text(*element, "AXTitle"), "Paint");
    const QRectF frame = this->frame(*element);
    EXPECT_NEAR(frame.x(), front.button.x(), 2);
    EXPECT_NEAR(frame.y(), front.button.y(), 2);
    EXPECT_NEAR(frame.width(), front.button.width(), 2);
    EXPECT_NEAR(frame.height(), front.button.height(), 2);

    // Up through the parents to its window, which its application lists.
    AXElement window = *element;
    for (int hops = 0; hops < 10 && this->text(window, "AXRole") != "AXWindow"; ++hops)
        window = std::get<AXElement>(this->read(window, "AXParent").value);
    EXPECT_EQ(this->text(window, "AXTitle"), front.title);
    const auto windows = this->read(accessibility.applicationElement(front.pid), "AXWindows");
    EXPECT_TRUE(std::get<QList<AXElement>>(windows.value).contains(window));
}

TYPED_TEST(BackendContract, TheWindowListRunsFrontToBackAndFollowsARaise) {
    const auto order = [&] {
        QStringList titles;
        const auto windows = this->platform.windowServer.onScreenWindows();
        for (const WindowListEntry& entry : windows.value())
            titles.append(entry.name.value_or(QString()));
        return titles;
    };
    const KnownWindow front = this->desktop.front(), back = this->desktop.back();
    EXPECT_LT(order().indexOf(front.title), order().indexOf(back.title))
        << qPrintable(order().join(", "));
    this->desktop.raise(back);
    EXPECT_LT(order().indexOf(back.title), order().indexOf(front.title))
        << qPrintable(order().join(", "));
    EXPECT_EQ(this->platform.windowServer.frontmostApplication().value().pid, back.pid);

    const WindowListEntry entry = this->platform.windowServer.onScreenWindows()->first();
    EXPECT_EQ(entry.ownerPid, back.pid);
    EXPECT_EQ(entry.layer, 0);
    EXPECT_TRUE(entry.bounds->contains(back.button));
}

TYPED_TEST(BackendContract, PicturesAreThePointsOfWhatTheyShowTimesTheScale) {
    const QList<ScreenInfo> screens = this->platform.screens.screens();
    ASSERT_FALSE(screens.isEmpty());
    const ScreenInfo primary = screens.first();
    EXPECT_EQ(primary.frame.topLeft(), QPointF(0, 0)) << "the first screen holds the origin";
    const double scale = primary.backingScale;
    const auto picture = [&](ContentFilter filter, QSizeF points) {
        const int width = qRound(points.width() * scale), height = qRound(points.height() * scale);
        return QCoro::waitFor(this->platform.screenCapture.captureImage(
            filter, StreamConfiguration{width, height, true, false}));
    };
    const DisplayFilter display{primary.number.value(), {}};
    EXPECT_EQ(picture(display, primary.frame.size()).size(),
              (primary.frame.size() * scale).toSize());
    // The tray app takes pictures for as long as it runs: their memory is reused,
    // not taken anew.
    const qsizetype mapped = sharedMemoryMappings();
    for (int count = 0; count < 6; ++count)
        picture(display, primary.frame.size());
    EXPECT_LE(sharedMemoryMappings() - mapped, 2);
    // A picture of no width or no height is refused, not handed back empty.
    for (const QSize size : {QSize(0, 100), QSize(100, 0)}) {
        const auto refused = test::awaitResult(this->platform.screenCapture.captureImage(
            display, StreamConfiguration{size.width(), size.height(), true, false}));
        EXPECT_TRUE(std::holds_alternative<PlatformError>(refused)) << size.width();
    }
    // A window that closed before its picture was taken is refused; the error says which.
    const auto closed = test::awaitResult(this->platform.screenCapture.captureImage(
        WindowFilter{0x7ffffff0}, StreamConfiguration{10, 10, true, false}));
    ASSERT_TRUE(std::holds_alternative<PlatformError>(closed));
    EXPECT_EQ(std::get<PlatformError>(closed).description, this->desktop.closedWindowText);

    const KnownWindow front = this->desktop.front();
    const auto windows =
        QCoro::waitFor(this->platform.screenCapture.shareableContent(true, true)).windows;
    const auto window = std::find_if(windows.begin(), windows.end(), [&](const ShareableWindow& w) {
        return w.title == front.title;
    });
    ASSERT_NE(window, windows.end());
    const QRectF bounds = this->platform.windowServer.onScreenWindows()->first().bounds.value();
    EXPECT_EQ(picture(WindowFilter{window->windowID}, bounds.size()).size(),
              (bounds.size() * scale).toSize());
}

TYPED_TEST(BackendContract, AnotherProgramReadsThePasteboardBack) {
    Pasteboard& pasteboard = this->platform.pasteboard;
    const QUrl file = QUrl::fromLocalFile("/tmp/contract ü/capture.md");
    pasteboard.clearContents();
    pasteboard.writeObjects({file});
    pasteboard.setString("contract · ünïcode", Pasteboard::plainTextType);
    ASSERT_EQ(this->desktop.publishPasteboard(), std::nullopt);
    EXPECT_EQ(this->desktop.readBack("UTF8_STRING"), "contract · ünïcode");
    EXPECT_EQ(QUrl(this->desktop.readBack("text/uri-list").trimmed()), file);
}

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
