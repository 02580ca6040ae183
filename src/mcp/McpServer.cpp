#include "McpServer.h"

#include "ProtocolRevision.h"
#include "ResourceServing.h"
#include "ToolCatalog.h"
#include "ToolRunning.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <cmath>

namespace vantrel {

namespace {

constexpr int parseError = -32700;
constexpr int invalidRequest = -32600;
constexpr int methodNotFound = -32601;
constexpr int invalidParams = -32602;
// Resource not found, as handshake-era clients know it; the stateless revision uses -32602.
constexpr int resourceNotFound = -32002;

// Lists whose results a stateless client may cache, and for how long (milliseconds).
int cacheTtl(const QString& method) {
    if (method == "tools/list" || method == "resources/templates/list" ||
        method == "server/discover")
        return 3600 * 1000;
    return 0;
}

bool cacheable(const QString& method) {
    static const QSet<QString> methods{"tools/list",      "resources/list",
                                       "resources/read",  "resources/templates/list",
                                       "server/discover", "prompts/list"};
    return methods.contains(method);
}

// Ids are strings or integers; anything else cannot be answered by id.
bool validId(const QJsonValue& id) {
    if (id.isString())
        return true;
    if (!id.isDouble())
        return false;
    const double number = id.toDouble();
    return std::isfinite(number) && number == std::floor(number) && std::abs(number) <= 9.0e15;
}

QByteArray idKey(const QJsonValue& id) {
    return QJsonDocument(QJsonArray{id}).toJson(QJsonDocument::Compact);
}

} // namespace

McpServer::McpServer(Identity identity, ToolRunning& tools, ResourceServing& resources, Send send)
    : m_identity(std::move(identity)), m_tools(tools), m_resources(resources),
      m_send(std::move(send)) {}

void McpServer::write(const QJsonObject& message) {
    m_send(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

void McpServer::replyError(const QJsonValue& id, int code, const QString& message,
                           const QJsonValue& data) {
    QJsonObject error{{"code", code}, {"message", message}};
    if (!data.isUndefined())
        error.insert("data", data);
    write({{"jsonrpc", "2.0"}, {"id", id}, {"error", error}});
}

void McpServer::receiveOverlongLine() {
    replyError(QJsonValue::Null, invalidRequest, QStringLiteral("message too large"));
}

void McpServer::receiveLine(const QByteArray& line) {
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(line, &parse);
    if (parse.error != QJsonParseError::NoError) {
        // A lone number or string is JSON all the same, just not a request.
        const bool scalar = QJsonDocument::fromJson('[' + line + ']').isArray();
        replyError(QJsonValue::Null, scalar ? invalidRequest : parseError,
                   scalar ? QStringLiteral("Invalid Request: expected a JSON-RPC 2.0 request")
                          : QStringLiteral("Parse error: %1").arg(parse.errorString()));
        return;
    }
    if (document.isArray()) {
        replyError(QJsonValue::Null, invalidRequest,
                   QStringLiteral("Invalid Request: batches are not supported"));
        return;
    }
    const QJsonObject message = document.object();
    const QJsonValue id = message.value("id");
    const bool hasId = message.contains("id");
    if (hasId && !validId(id)) {
        replyError(QJsonValue::Null, invalidRequest,
                   QStringLiteral("Invalid Request: id must be a string or an integer"));
        return;
    }
    const QJsonValue method = message.value("method");
    const QJsonValue params = message.value("params");
    if (message.value("jsonrpc") != QJsonValue("2.0") || !method.isString() ||
        !(params.isUndefined() || params.isObject())) {
        // A response to a request we never send needs no answer.
        if (!message.contains("method") &&
            (message.contains("result") || message.contains("error")))
            return;
        replyError(hasId ? id : QJsonValue::Null, invalidRequest,
                   QStringLiteral("Invalid Request: expected a JSON-RPC 2.0 request"));
        return;
    }
    if (!hasId) {
        handleNotification(method.toString(), params.toObject());
        return;
    }
    Request request{id, method.toString(), params.toObject()};
    const QJsonValue meta = request.params.value("_meta");
    if (meta.isObject() && meta.toObject().contains(ProtocolRevision::protocolVersionKey)) {
        const QJsonValue version = meta.toObject().value(ProtocolRevision::protocolVersionKey);
        if (!ProtocolRevision::statelessVersions().contains(version.toString())) {
            replyError(id, ProtocolRevision::unsupportedVersionCode,
                       QStringLiteral("Unsupported protocol version"),
                       QJsonObject{{"supported", QJsonArray::fromStringList(
                                                     ProtocolRevision::statelessVersions())},
                                   {"requested", version}});
            return;
        }
        request.stateless = true;
    }
    handle(request);
}

void McpServer::handleNotification(const QString& method, const QJsonObject& params) {
    if (method != "notifications/cancelled")
        return;
    const QJsonValue id = params.value("requestId");
    if (!validId(id))
        return;
    const auto found = m_pending.find(idKey(id));
    if (found == m_pending.end())
        return;
    const quint64 call = found.value();
    m_pending.erase(found);
    m_tools.cancel(call);
}

QJsonObject McpServer::serverInfo() const {
    return {{"name", m_identity.name}, {"version", m_identity.version}};
}

QJsonObject McpServer::capabilities() const {
    return {{"tools", QJsonObject{{"listChanged", false}}},
            {"resources", QJsonObject{{"listChanged", false}}}};
}

void McpServer::reply(const Request& request, QJsonObject result) {
    if (request.stateless) {
        result.insert("resultType", "complete");
        if (cacheable(request.method)) {
            result.insert("ttlMs", cacheTtl(request.method));
            result.insert("cacheScope", "private");
        }
        QJsonObject meta = result.value("_meta").toObject();
        meta.insert(ProtocolRevision::serverInfoKey, serverInfo());
        result.insert("_meta", meta);
    }
    write({{"jsonrpc", "2.0"}, {"id", request.id}, {"result", result}});
}

void McpServer::handle(const Request& request) {
    const QString& method = request.method;
    if (method == "initialize") {
        const QJsonValue requested = request.params.value("protocolVersion");
        m_negotiatedVersion = ProtocolRevision::negotiateHandshake(requested.toString());
        QJsonObject result{{"protocolVersion", m_negotiatedVersion},
                           {"capabilities", capabilities()},
                           {"serverInfo", serverInfo()}};
        if (!m_identity.instructions.isEmpty())
            result.insert("instructions", m_identity.instructions);
        reply(request, result);
    } else if (method == "server/discover") {
        QJsonObject result{
            {"supportedVersions", QJsonArray::fromStringList(ProtocolRevision::allVersions())},
            {"capabilities", capabilities()},
            {"serverInfo", serverInfo()}};
        if (!m_identity.instructions.isEmpty())
            result.insert("instructions", m_identity.instructions);
        reply(request, result);
    } else if (method == "ping") {
        reply(request, {});
    } else if (method == "tools/list") {
        reply(request, {{"tools", ToolCatalog::tools()}});
    } else if (method == "tools/call") {
        callTool(request);
    } else if (method == "resources/list") {
        reply(request, {{"resources", m_resources.resources()}});
    } else if (method == "resources/templates/list") {
        reply(request, {{"resourceTemplates", m_resources.resourceTemplates()}});
    } else if (method == "resources/read") {
        readResource(request);
    } else {
        replyError(request.id, methodNotFound, QStringLiteral("Method not found: %1").arg(method));
    }
}

void McpServer::readResource(const Request& request) {
    const QJsonValue uri = request.params.value("uri");
    if (!uri.isString()) {
        replyError(request.id, invalidParams, QStringLiteral("\"uri\" must be a string"));
        return;
    }
    const auto contents = m_resources.read(uri.toString());
    if (!contents) {
        replyError(request.id, request.stateless ? invalidParams : resourceNotFound,
                   QStringLiteral("Resource not found: %1").arg(uri.toString()),
                   QJsonObject{{"uri", uri}});
        return;
    }
    reply(request, {{"contents", *contents}});
}

void McpServer::callTool(const Request& request) {
    const QJsonValue name = request.params.value("name");
    if (!name.isString()) {
        replyError(request.id, invalidParams, QStringLiteral("\"name\" must be a string"));
        return;
    }
    const auto tool = ToolCatalog::tool(name.toString());
    if (!tool) {
        replyError(request.id, invalidParams,
                   QStringLiteral("Unknown tool: %1").arg(name.toString()));
        return;
    }
    const ToolCatalog::Checked checked =
        ToolCatalog::check(*tool, request.params.value("arguments"));
    if (!checked.error.isEmpty()) {
        replyError(
            request.id, invalidParams,
            QStringLiteral("Invalid arguments for %1: %2").arg(name.toString(), checked.error));
        return;
    }
    const QByteArray key = idKey(request.id);
    if (m_pending.contains(key)) {
        replyError(request.id, invalidRequest,
                   QStringLiteral("Invalid Request: id is already in use by a running call"));
        return;
    }
    const QJsonValue progressToken =
        request.params.value("_meta").toObject().value("progressToken");
    ToolRunning::Progress progress;
    if (progressToken.isString() || progressToken.isDouble()) {
        // Counts up on its own: a client only needs to see that the call is alive.
        auto counter = std::make_shared<double>(0);
        progress = [this, key, progressToken, counter](double value, const QString& text) {
            if (!m_pending.contains(key))
                return;
            *counter = std::max(*counter + 1, value);
            write({{"jsonrpc", "2.0"},
                   {"method", "notifications/progress"},
                   {"params", QJsonObject{{"progressToken", progressToken},
                                          {"progress", *counter},
                                          {"message", text}}}});
        };
    } else {
        progress = [](double, const QString&) {};
    }
    // The reply may come before start() returns; a placeholder marks the call as running.
    m_pending.insert(key, 0);
    const Request copy = request;
    const quint64 call = m_tools.start(name.toString(), checked.arguments, progress,
                                       [this, key, copy](const QJsonObject& result) {
                                           if (m_pending.remove(key) == 0)
                                               return;
                                           reply(copy, result);
                                       });
    const auto found = m_pending.find(key);
    if (found != m_pending.end())
        found.value() = call;
}

void McpServer::shutdown() {
    const QList<quint64> calls = m_pending.values();
    m_pending.clear();
    for (const quint64 call : calls)
        m_tools.cancel(call);
}

} // namespace vantrel
