// `vantrel mcp` on the private desktop: captures run in child processes on the real X server and
// AT-SPI bus, and ask_user_to_capture shows the overlay a person (here xdotool) answers.
#include "mcp/ImageFit.h"
#include "support/DesktopTools.h"
#include "support/McpWire.h"
#include "support/TestApplication.h"
#include "support/WaitUntil.h"

#include <QImage>
#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

bool overlayShown() {
    return !xdotool({"search", "--onlyvisible", "--name", "Vantrel area selection"}).isEmpty();
}

QString text(const QJsonObject& result, int index) {
    return result["content"][index]["text"].toString();
}

bool targetsPaint(const QJsonObject& result) {
    return text(result, 2).contains(
        QRegularExpression("^Button \"Paint\" .*<- target", QRegularExpression::MultilineOption));
}

TEST(McpDesktop, CaptureWindowOverTheGtkProbeOutlinesItsPaintButton) {
    const TestApplication app = TestApplication::gtk();
    ASSERT_TRUE(app.waitForAccessible("Paint", "push button"));
    xdotool(mouseMove(app.paintButton().center()));
    VantrelProcess home;
    McpWire wire(home, {});
    const QJsonObject result = wire.call(1, "capture_window", {{"max_image_edge", 200}});
    ASSERT_FALSE(result["isError"].toBool()) << text(result, 0).toStdString();
    EXPECT_TRUE(targetsPaint(result)) << text(result, 2).toStdString();
    const QString folder = QRegularExpression("Folder: (\\S+)").match(text(result, 0)).captured(1);
    const QSize screenshot = QImage(folder + "/screenshot.png").size();
    ASSERT_FALSE(screenshot.isEmpty()) << text(result, 0).toStdString();
    const QImage picture = QImage::fromData(
        QByteArray::fromBase64(result["content"][1]["data"].toString().toLatin1()), "PNG");
    EXPECT_EQ(picture.size(), ImageFit::fitted(screenshot, 200));
}

TEST(McpDesktop, AskUserToCaptureReturnsTheDraggedAreaEscCancelsAndAClickPicksAWindow) {
    const TestApplication app = TestApplication::gtk();
    ASSERT_TRUE(app.waitForAccessible("Paint", "push button"));
    VantrelProcess home;
    McpWire wire(home, {});
    wire.startCall(1, "ask_user_to_capture", {{"prompt", "Show me the button"}});
    ASSERT_TRUE(waitUntil(overlayShown));
    const QRect area(app.paintButton().center(), QSize(120, 60));
    xdotool(mouseMove(area.topLeft()) + QStringList{"mousedown", "1"} + mouseMove(area.center()) +
            mouseMove(area.bottomRight() + QPoint(1, 1)) + QStringList{"mouseup", "1"});
    const QJsonObject dragged = wire.answer(1)["result"].toObject();
    ASSERT_FALSE(dragged["isError"].toBool()) << text(dragged, 0).toStdString();
    EXPECT_TRUE(
        text(dragged, 0)
            .contains(QStringLiteral(
                          "Captured area (screen pixels, origin top left): x %1, y %2, width 120, "
                          "height 60")
                          .arg(area.x())
                          .arg(area.y())))
        << text(dragged, 0).toStdString();

    wire.startCall(2, "ask_user_to_capture", {{"prompt", "Again"}});
    ASSERT_TRUE(waitUntil(overlayShown));
    xdotool({"key", "Escape"});
    const QJsonObject escaped = wire.answer(2)["result"].toObject();
    EXPECT_TRUE(escaped["isError"].toBool());
    EXPECT_TRUE(text(escaped, 0).contains("cancelled by the user"))
        << text(escaped, 0).toStdString();

    // In window mode a click picks the window under it instead of cancelling.
    wire.startCall(3, "ask_user_to_capture", {{"prompt", "Click it"}, {"mode", "window"}});
    ASSERT_TRUE(waitUntil(overlayShown));
    xdotool(mouseMove(app.paintButton().center()) + QStringList{"click", "1"});
    const QJsonObject clicked = wire.answer(3)["result"].toObject();
    ASSERT_FALSE(clicked["isError"].toBool()) << text(clicked, 0).toStdString();
    EXPECT_TRUE(targetsPaint(clicked)) << text(clicked, 2).toStdString();
}

TEST(McpDesktop, ACancelledAskGetsNoAnswerAndLeavesNoOverlay) {
    VantrelProcess home;
    McpWire wire(home, {});
    wire.startCall(1, "ask_user_to_capture", {{"prompt", "Never mind"}});
    ASSERT_TRUE(waitUntil(overlayShown));
    wire.send(R"({"jsonrpc":"2.0","method":"notifications/cancelled","params":{"requestId":1}})");
    wire.send(R"({"jsonrpc":"2.0","id":2,"method":"ping"})");
    wire.answer(2);
    EXPECT_EQ(wire.lines.size(), 1); // the ping's answer, nothing for the cancelled call
    EXPECT_TRUE(waitUntil([] { return !overlayShown(); }));
}

} // namespace
} // namespace vantrel::testing
