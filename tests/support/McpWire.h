#pragma once

#include "VantrelProcess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace vantrel::testing {

// `vantrel mcp` in a private home, spoken to line by line as a client would.
class McpWire {
  public:
    // Arguments after `mcp`; logging sets QT_LOGGING_RULES for the server.
    McpWire(const VantrelProcess& home, const QStringList& arguments,
            const QByteArray& logging = {}) {
        if (!logging.isEmpty())
            qputenv("QT_LOGGING_RULES", logging);
        home.start(m_process, QStringLiteral(VANTREL_BINARY), QStringList{"mcp"} + arguments);
        qunsetenv("QT_LOGGING_RULES");
    }
    ~McpWire() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    void send(const QByteArray& line) { m_process.write(line + "\n"); }
    // Every stdout line until the answer with this id; each must be one JSON object.
    const QJsonObject answer(int id) {
        while (true) {
            while (!m_process.canReadLine()) {
                if (!m_process.waitForReadyRead(60000)) {
                    ADD_FAILURE() << "no answer to " << id;
                    return {};
                }
            }
            const QByteArray line = m_process.readLine();
            QJsonParseError error;
            const QJsonDocument document = QJsonDocument::fromJson(line, &error);
            EXPECT_EQ(error.error, QJsonParseError::NoError) << line.constData();
            EXPECT_TRUE(document.isObject()) << line.constData();
            lines.append(line);
            if (document.object()["id"] == QJsonValue(id))
                return document.object();
        }
    }
    void startCall(int id, const QString& tool, const QJsonObject& arguments = {}) {
        send(QJsonDocument(
                 QJsonObject{{"jsonrpc", "2.0"},
                             {"id", id},
                             {"method", "tools/call"},
                             {"params", QJsonObject{{"name", tool}, {"arguments", arguments}}}})
                 .toJson(QJsonDocument::Compact));
    }
    const QJsonObject call(int id, const QString& tool, const QJsonObject& arguments = {}) {
        startCall(id, tool, arguments);
        return answer(id)["result"].toObject();
    }
    QProcess& process() { return m_process; }
    QList<QByteArray> lines;

  private:
    QProcess m_process;
};

} // namespace vantrel::testing
