#include "ProtocolRevision.h"

namespace vantrel {

const QString ProtocolRevision::stateless = QStringLiteral("2026-07-28");
const QString ProtocolRevision::protocolVersionKey =
    QStringLiteral("io.modelcontextprotocol/protocolVersion");
const QString ProtocolRevision::clientCapabilitiesKey =
    QStringLiteral("io.modelcontextprotocol/clientCapabilities");
const QString ProtocolRevision::serverInfoKey =
    QStringLiteral("io.modelcontextprotocol/serverInfo");

QStringList ProtocolRevision::handshakeVersions() {
    return {QStringLiteral("2025-11-25"), QStringLiteral("2025-06-18"),
            QStringLiteral("2025-03-26"), QStringLiteral("2024-11-05")};
}

QStringList ProtocolRevision::statelessVersions() {
    return {stateless};
}

QStringList ProtocolRevision::allVersions() {
    return statelessVersions() + handshakeVersions();
}

QString ProtocolRevision::negotiateHandshake(const QString& requested) {
    const QStringList supported = handshakeVersions();
    return supported.contains(requested) ? requested : supported.first();
}

} // namespace vantrel
