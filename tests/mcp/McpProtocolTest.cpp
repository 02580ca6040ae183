#include "mcp/JsonRpcLineReader.h"
#include "mcp/McpServer.h"
#include "mcp/ResourceServing.h"
#include "mcp/ToolRunning.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

// Tools that answer only when told to, so a test decides the order of events.
class HeldTools final : public ToolRunning {
  public:
    quint64 start(const QString&, const QJsonObject& arguments, Progress progress,
                  Reply reply) override {
        lastArguments = arguments;
        calls.append({std::move(progress), std::move(reply)});
        return calls.size();
    }
    void cancel(quint64 call) override { cancelled.append(call); }

    struct Call {
        Progress progress;
        Reply reply;
    };
    QList<Call> calls;
    QList<quint64> cancelled;
    QJsonObject lastArguments;
};

class NoResources final : public ResourceServing {
  public:
    QJsonArray resources() const override { return {}; }
    QJsonArray resourceTemplates() const override { return {}; }
    std::optional<QJsonArray> read(const QString&) const override { return std::nullopt; }
};

struct Wire {
    HeldTools tools;
    NoResources resources;
    QList<QJsonObject> sent;
    McpServer server{{"vantrel", "1.0", {}}, tools, resources, [this](const QByteArray& line) {
                         EXPECT_FALSE(line.contains('\n'));
                         sent.append(QJsonDocument::fromJson(line).object());
                     }};

    QJsonObject ask(const QByteArray& line) {
        sent.clear();
        server.receiveLine(line);
        return sent.isEmpty() ? QJsonObject() : sent.last();
    }
};

QByteArray call(const QString& tool, const QJsonObject& arguments, const QJsonValue& id = 7) {
    return QJsonDocument(
               QJsonObject{{"jsonrpc", "2.0"},
                           {"id", id},
                           {"method", "tools/call"},
                           {"params", QJsonObject{{"name", tool}, {"arguments", arguments}}}})
        .toJson(QJsonDocument::Compact);
}

QByteArray stateless(const QString& method, const QString& version) {
    return QStringLiteral(R"({"jsonrpc":"2.0","id":1,"method":"%1","params":{"_meta":{)"
                          R"("io.modelcontextprotocol/protocolVersion":"%2",)"
                          R"("io.modelcontextprotocol/clientCapabilities":{}}}})")
        .arg(method, version)
        .toUtf8();
}

} // namespace

TEST(JsonRpcLineReader, CutsLinesWhereverTheReadsEnd) {
    const QByteArray twoMegabytes = "{\"a\":\"" + QByteArray(2 * 1024 * 1024, 'x') + "\"}";
    struct Case {
        QList<QByteArray> reads;
        QList<QByteArray> lines;
    } cases[] = {
        {{"{\"a\":", "1}\n{\"b\"", ":2}\n"}, {"{\"a\":1}", "{\"b\":2}"}},
        {{"one\r\n\r\n\n  \ntwo\r", "\n"}, {"one", "two"}},
        {{twoMegabytes.left(1000), twoMegabytes.mid(1000), "\n"}, {twoMegabytes}},
        {{"last line without newline"}, {"last line without newline"}},
    };
    for (const Case& c : cases) {
        JsonRpcLineReader reader;
        QList<QByteArray> lines;
        for (const QByteArray& read : c.reads)
            for (const auto& line : reader.feed(read))
                lines.append(line.text);
        for (const auto& line : reader.finish())
            lines.append(line.text);
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(JsonRpcLineReader, DropsAnOverlongLineOnceAndReadsOn) {
    JsonRpcLineReader reader(10);
    const auto lines = reader.feed("0123456789\n01234567890123");
    const auto more = reader.feed("456\nok\n");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].text, "0123456789");
    EXPECT_TRUE(lines[1].tooLong);
    ASSERT_EQ(more.size(), 1);
    EXPECT_EQ(more[0].text, "ok");
}

// Answers carry the request's id with its JSON type: 3 stays a number, "x" a string.
TEST(McpServer, AnswersMalformedInputWithTheRightError) {
    struct Case {
        QByteArray line;
        int code;
        QJsonValue id;
    } cases[] = {
        {"not json", -32700, QJsonValue::Null},
        {"{\"jsonrpc\":\"2.0\",", -32700, QJsonValue::Null},
        {"5", -32600, QJsonValue::Null},
        {"[{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"ping\"}]", -32600, QJsonValue::Null},
        {"{\"jsonrpc\":\"2.0\",\"id\":3}", -32600, 3},
        {"{\"jsonrpc\":\"1.0\",\"id\":\"x\",\"method\":\"ping\"}", -32600, "x"},
        {"{\"jsonrpc\":\"2.0\",\"id\":1.5,\"method\":\"ping\"}", -32600, QJsonValue::Null},
        {"{\"jsonrpc\":\"2.0\",\"id\":{},\"method\":\"ping\"}", -32600, QJsonValue::Null},
        {"{\"jsonrpc\":\"2.0\",\"id\":4,\"method\":\"ping\",\"params\":[]}", -32600, 4},
        {"{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":\"nope\"}", -32601, 5},
        {call("no_such_tool", {}), -32602, 7},
        {call("get_tree", {}), -32602, 7},
        {call("list_captures", {{"limit", 0}}), -32602, 7},
        {call("list_captures", {{"limit", 2.5}}), -32602, 7},
        {call("capture_window", {{"target", "desk"}}), -32602, 7},
        {call("capture_area", {{"x", 1}, {"y", 1}, {"width", 0}, {"height", 5}}), -32602, 7},
        {call("capture_area", {{"x", 1e300}, {"y", 1}, {"width", 9}, {"height", 5}}), -32602, 7},
        {call("ask_user_to_capture", {{"prompt", QString(201, u'p')}}), -32602, 7},
        {call("ask_user_to_capture", {{"prompt", "p"}, {"timeout_s", 301}}), -32602, 7},
        {call("get_latest_capture", {{"tree_budget_tokens", "4000"}}), -32602, 7},
        {call("get_latest_capture", {{"extra", true}}), -32602, 7},
    };
    for (const Case& c : cases) {
        Wire wire;
        const QJsonObject answer = wire.ask(c.line);
        EXPECT_EQ(answer["error"]["code"].toInt(), c.code) << c.line.left(120).constData();
        EXPECT_EQ(answer["id"], c.id) << c.line.left(120).constData();
        EXPECT_EQ(answer["id"].type(), c.id.type());
    }
}

TEST(McpServer, AcceptsTheLimitsThemselves) {
    Wire wire;
    wire.ask(call("ask_user_to_capture", {{"prompt", QString(200, u'p')}, {"timeout_s", 300}}));
    wire.ask(call("ask_user_to_capture", {{"prompt", "p"}}, 8));
    ASSERT_EQ(wire.tools.calls.size(), 2);
    // The defaults are filled in from the schema.
    EXPECT_EQ(wire.tools.lastArguments["timeout_s"].toInt(), 45);
    EXPECT_EQ(wire.tools.lastArguments["max_image_edge"].toInt(), 1568);
    EXPECT_EQ(wire.tools.lastArguments["tree_budget_tokens"].toInt(), 4000);
    EXPECT_EQ(wire.tools.lastArguments["copy_to_clipboard"].toBool(true), false);
}

TEST(McpServer, HandshakeEchoesASupportedVersionElseOffersTheNewest) {
    const QList<std::pair<QString, QString>> cases{{"2024-11-05", "2024-11-05"},
                                                   {"2025-03-26", "2025-03-26"},
                                                   {"2025-06-18", "2025-06-18"},
                                                   {"2025-11-25", "2025-11-25"},
                                                   {"2024-10-07", "2025-11-25"},
                                                   {"2099-01-01", "2025-11-25"},
                                                   {"", "2025-11-25"}};
    for (const auto& [requested, answered] : cases) {
        Wire wire;
        const QJsonObject answer = wire.ask(
            "{\"jsonrpc\":\"2.0\",\"id\":0,\"method\":\"initialize\",\"params\":{"
            "\"protocolVersion\":\"" +
            requested.toUtf8() + "\",\"capabilities\":{},\"clientInfo\":{\"name\":\"t\"}}}");
        EXPECT_EQ(answer["result"]["protocolVersion"].toString(), answered);
        EXPECT_TRUE(answer["result"]["capabilities"]["tools"].isObject());
        // Handshake results carry nothing of the stateless revision.
        EXPECT_FALSE(answer["result"].toObject().contains("resultType"));
    }
}

TEST(McpServer, StatelessRequestsNameTheirRevision) {
    Wire wire;
    const QJsonObject discover = wire.ask(stateless("server/discover", "2026-07-28"));
    EXPECT_TRUE(discover["result"]["supportedVersions"].toArray().contains("2026-07-28"));
    EXPECT_EQ(discover["result"]["resultType"].toString(), "complete");
    EXPECT_EQ(discover["result"]["_meta"]["io.modelcontextprotocol/serverInfo"]["name"], "vantrel");

    const QJsonObject tools = wire.ask(stateless("tools/list", "2026-07-28"));
    EXPECT_EQ(tools["result"]["tools"].toArray().size(), 6);
    EXPECT_TRUE(tools["result"]["ttlMs"].isDouble());
    EXPECT_EQ(tools["result"]["cacheScope"].toString(), "private");
    EXPECT_FALSE(wire.ask(stateless("ping", "2026-07-28"))["result"].toObject().contains("ttlMs"));

    const QJsonObject refused = wire.ask(stateless("tools/list", "2025-11-25"));
    EXPECT_EQ(refused["error"]["code"].toInt(), -32022);
    EXPECT_EQ(refused["error"]["data"]["supported"].toArray(), QJsonArray{"2026-07-28"});
    EXPECT_EQ(refused["error"]["data"]["requested"].toString(), "2025-11-25");
}

TEST(McpServer, ACancelledCallGetsNoAnswerAndStopsItsWork) {
    Wire wire;
    wire.ask(call("capture_window", {}, "a"));
    wire.ask(call("capture_window", {}, 9));
    ASSERT_EQ(wire.tools.calls.size(), 2);
    // A number does not cancel a string id that looks the same, and vice versa.
    wire.ask(R"({"jsonrpc":"2.0","method":"notifications/cancelled","params":{"requestId":"9"}})");
    EXPECT_TRUE(wire.tools.cancelled.isEmpty());
    wire.ask(R"({"jsonrpc":"2.0","method":"notifications/cancelled","params":{"requestId":"a"}})");
    EXPECT_EQ(wire.tools.cancelled, QList<quint64>{1});
    wire.sent.clear();
    wire.tools.calls[0].reply({{"content", QJsonArray{}}});
    wire.tools.calls[1].reply({{"content", QJsonArray{}}});
    ASSERT_EQ(wire.sent.size(), 1);
    EXPECT_EQ(wire.sent[0]["id"], 9);
    EXPECT_EQ(wire.server.pendingCalls(), 0);
}

TEST(McpServer, ReportsProgressOnlyToRequestsWithAToken) {
    Wire wire;
    wire.ask(
        R"({"jsonrpc":"2.0","id":1,"method":"tools/call","params":{"name":"ask_user_to_capture","arguments":{"prompt":"p"},"_meta":{"progressToken":"tok"}}})");
    wire.ask(call("ask_user_to_capture", {{"prompt", "p"}}, 2));
    wire.sent.clear();
    wire.tools.calls[0].progress(5, "waiting");
    wire.tools.calls[0].progress(10, "waiting");
    wire.tools.calls[1].progress(5, "waiting");
    ASSERT_EQ(wire.sent.size(), 2);
    const QJsonObject first = wire.sent[0], second = wire.sent[1];
    EXPECT_EQ(first["method"].toString(), "notifications/progress");
    EXPECT_EQ(first["params"]["progressToken"].toString(), "tok");
    EXPECT_LT(first["params"]["progress"].toDouble(), second["params"]["progress"].toDouble());
}
