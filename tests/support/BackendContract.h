#pragma once
// What every backend must do, written once and run against each desktop: the simulated one and
// X11's (tests/desktop) and GNOME's (tests/wayland). Each instantiates the suite with an adapter
// that starts its desktop with two windows and knows what only it can do: raise a window as a user
// does, publish the pasteboard and read it back from another program, word a closed window.
#include "platform/AccessibilityPlatform.h"
#include "platform/Pasteboard.h"
#include "platform/Platform.h"
#include "platform/ScreenCapturePlatform.h"
#include "platform/ScreenList.h"
#include "platform/SimTestSupport.h"
#include "platform/WindowServer.h"
#include "support/ElementReading.h"

#include <QCoro/QCoroTask>
#include <QFile>
#include <QUrl>
#include <gtest/gtest.h>

#include <algorithm>

namespace vantrel::testing {

// A window of the desktop under test with one known button, in top-left global
// points.
struct KnownWindow {
    qint64 pid = 0;
    QString title;
    QRectF button; // titled "Paint"
};

template <class Desktop> class BackendContract : public ::testing::Test {
  protected:
    BackendContract() { desktop.raise(desktop.front()); }

    AXReadResult read(AXElement element, const char* attribute) {
        return platform.accessibility.copyAttributeValue(element, attribute);
    }
    QString text(AXElement element, const char* attribute) {
        return elementText(platform.accessibility, element, attribute);
    }
    QRectF frame(AXElement element) { return elementFrame(platform.accessibility, element); }

    Desktop desktop;
    Platform platform = desktop.platform();
};

// Shared memory this process has mapped: the X11 backend's pictures live in it.
inline qsizetype sharedMemoryMappings() {
    QFile maps("/proc/self/maps");
    return maps.open(QIODevice::ReadOnly) ? maps.readAll().count("SYSV") : -1;
}

TYPED_TEST_SUITE_P(BackendContract);

TYPED_TEST_P(BackendContract, TheDeepestElementAtAPointIsTheButtonAtItsFrame) {
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

TYPED_TEST_P(BackendContract, TheWindowListRunsFrontToBackAndFollowsARaise) {
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

TYPED_TEST_P(BackendContract, PicturesAreThePointsOfWhatTheyShowTimesTheScale) {
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
    const DisplayFilter display{primary.number.value_or(0), {}};
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

TYPED_TEST_P(BackendContract, AnotherProgramReadsThePasteboardBack) {
    Pasteboard& pasteboard = this->platform.pasteboard;
    const QUrl file = QUrl::fromLocalFile("/tmp/contract ü/capture.md");
    pasteboard.clearContents();
    pasteboard.writeObjects({file});
    pasteboard.setString("contract · ünïcode", Pasteboard::plainTextType);
    ASSERT_EQ(this->desktop.publishPasteboard(), std::nullopt);
    EXPECT_EQ(this->desktop.readBack("UTF8_STRING"), "contract · ünïcode");
    EXPECT_EQ(QUrl(this->desktop.readBack("text/uri-list").trimmed()), file);
}

REGISTER_TYPED_TEST_SUITE_P(BackendContract, TheDeepestElementAtAPointIsTheButtonAtItsFrame,
                            TheWindowListRunsFrontToBackAndFollowsARaise,
                            PicturesAreThePointsOfWhatTheyShowTimesTheScale,
                            AnotherProgramReadsThePasteboardBack);

} // namespace vantrel::testing
