#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <functional>

namespace vantrel {

class ResourceServing;
class ToolRunning;

// The Model Context Protocol over JSON-RPC 2.0, one message per line, in both revision families:
// the handshake (`initialize`) and the stateless one (`server/discover`, the revision in each
// request's `_meta`). Input is untrusted: anything malformed gets a JSON-RPC error, never a crash.
class McpServer final {
  public:
    struct Identity {
        QString name;
        QString version;
        QString instructions;
    };
    // One message, without its newline.
    using Send = std::function<void(const QByteArray& line)>;

    McpServer(Identity identity, ToolRunning& tools, ResourceServing& resources, Send send);

    // One line as the line reader cut it.
    void receiveLine(const QByteArray& line);
    // A line that was too long to read.
    void receiveOverlongLine();
    // Cancels every call that is still running; their replies never come.
    void shutdown();

    qsizetype pendingCalls() const { return m_pending.size(); }
    // The revision the last `initialize` settled on; empty before.
    const QString& negotiatedVersion() const { return m_negotiatedVersion; }

  private:
    struct Request {
        QJsonValue id;
        QString method;
        QJsonObject params;
        bool stateless = false; // the revision came in `_meta`
    };

    void handle(const Request& request);
    void handleNotification(const QString& method, const QJsonObject& params);
    void callTool(const Request& request);
    void readResource(const Request& request);
    void reply(const Request& request, QJsonObject result);
    void replyError(const QJsonValue& id, int code, const QString& message,
                    const QJsonValue& data = QJsonValue::Undefined);
    void write(const QJsonObject& message);
    QJsonObject serverInfo() const;
    QJsonObject capabilities() const;

    Identity m_identity;
    ToolRunning& m_tools;
    ResourceServing& m_resources;
    Send m_send;
    QString m_negotiatedVersion;
    // Running tool calls by request id (its JSON text, so 1 and "1" stay apart).
    QHash<QByteArray, quint64> m_pending;
};

} // namespace vantrel
