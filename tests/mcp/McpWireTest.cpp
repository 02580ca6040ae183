#include "support/McpWire.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace vantrel::testing;

namespace {

// Header, picture, outline and links, of an ordinary capture folder.
void checkCapture(const VantrelProcess& home, const QJsonObject& result) {
    const QJsonArray content = result["content"].toArray();
    ASSERT_GE(content.size(), 4) << QJsonDocument(result).toJson().constData();
    EXPECT_FALSE(result.contains("structuredContent"));
    const QString header = content[0]["text"].toString();
    const QStringList folders =
        QDir(home.cacheDir() + "/Vantrel/captures").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(folders.size(), 1);
    const QString folder = home.cacheDir() + "/Vantrel/captures/" + folders[0];
    EXPECT_TRUE(header.startsWith("Capture " + folders[0] + ": ")) << header.toStdString();
    EXPECT_TRUE(header.contains("Folder: " + folder)) << header.toStdString();
    EXPECT_TRUE(header.contains(folder + "/accessibility.json")) << header.toStdString();

    // The demo window is 1040x700: sent at 500 px, the factor is 1040/500.
    EXPECT_EQ(content[1]["type"].toString(), "image");
    const QImage picture =
        QImage::fromData(QByteArray::fromBase64(content[1]["data"].toString().toLatin1()), "PNG");
    EXPECT_EQ(picture.size(), QSize(500, 336));
    EXPECT_TRUE(header.contains("Image: 500x336 px; 1 image px = 2.08 screen px"))
        << header.toStdString();

    EXPECT_TRUE(content[2]["text"].toString().contains("#n1"))
        << content[2]["text"].toString().toStdString();
    QStringList links;
    for (qsizetype i = 3; i < content.size(); ++i)
        links.append(content[i]["uri"].toString());
    EXPECT_EQ(
        links,
        (QStringList{"accessibility.json", "capture.md", "capture1.md", "screenshot.png"}
             .replaceInStrings(QRegularExpression("^"), "vantrel://captures/" + folders[0] + "/")));
}

} // namespace

TEST(McpWire, OnlyJsonOnStdoutEvenWithDebugLoggingAndExitsWhenStdinCloses) {
    VantrelProcess home;
    McpWire wire(home, {"--scene", VantrelProcess::scene("demo.json")}, "*.debug=true");
    wire.send(
        R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"protocolVersion":"2025-06-18","capabilities":{},"clientInfo":{"name":"wire","version":"1"}}})");
    EXPECT_EQ(wire.answer(1)["result"]["protocolVersion"].toString(), "2025-06-18");
    wire.send(R"({"jsonrpc":"2.0","method":"notifications/initialized"})");
    wire.send("garbage\r");
    wire.send(R"({"jsonrpc":"2.0","id":2,"method":"tools/list"})");
    EXPECT_EQ(wire.answer(2)["result"]["tools"].toArray().size(), 6);
    EXPECT_EQ(wire.lines.size(), 3); // the garbage line's parse error came in between
    EXPECT_EQ(QJsonDocument::fromJson(wire.lines[1]).object().value("error")["code"].toInt(),
              -32700);
    checkCapture(home, wire.call(3, "capture_window", {{"max_image_edge", 500}}));

    wire.process().closeWriteChannel();
    ASSERT_TRUE(wire.process().waitForFinished(2000));
    EXPECT_EQ(wire.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(wire.process().exitCode(), 0);
    EXPECT_TRUE(wire.process().readAllStandardOutput().isEmpty());
}

TEST(McpWire, AnAgentsCaptureLeavesTheClipboardAloneUnlessAsked) {
    VantrelProcess home;
    const QString scene = VantrelProcess::scene("demo.json");
    const auto left = home.run({"capture", "--scene", scene, "--json", "--no-clipboard"});
    ASSERT_EQ(left.exitCode, 0) << left.err.toStdString();
    EXPECT_EQ(left.json()["pasteboard"].toArray(), QJsonArray());
    const auto copied = home.run({"capture", "--scene", scene, "--json"});
    EXPECT_FALSE(copied.json()["pasteboard"].toArray().isEmpty());
}

TEST(McpWire, WithoutADisplayCapturesSayWhichVariablesToForward) {
    VantrelProcess home;
    // The server must not find the developer's own display.
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    McpWire wire(home, {});
    if (!display.isEmpty())
        qputenv("DISPLAY", display);
    const QJsonObject result = wire.call(1, "capture_window");
    EXPECT_TRUE(result["isError"].toBool());
    EXPECT_TRUE(result["content"][0]["text"].toString().contains(
        "Forward DISPLAY, XAUTHORITY and DBUS_SESSION_BUS_ADDRESS"))
        << result["content"][0]["text"].toString().toStdString();
    const QJsonObject asked = McpWire(home, {"--scene", VantrelProcess::scene("demo.json")})
                                  .call(1, "ask_user_to_capture", {{"prompt", "Where?"}});
    EXPECT_TRUE(asked["content"][0]["text"].toString().contains("simulated desktop"));
}
