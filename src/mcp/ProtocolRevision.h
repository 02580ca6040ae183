#pragma once

#include <QString>
#include <QStringList>

namespace vantrel {

// The protocol revisions the server speaks: the handshake revisions (a client sends `initialize`
// once) and the stateless one (every request names its revision in `_meta`).
struct ProtocolRevision {
    static const QString stateless;
    // Newest first.
    static QStringList handshakeVersions();
    static QStringList statelessVersions();
    // Every revision, newest first, as `server/discover` and version errors list them.
    static QStringList allVersions();
    // The requested version when supported, else the newest handshake version: refusing an
    // unknown version breaks clients that would have been happy with what we offer.
    static QString negotiateHandshake(const QString& requested);

    // The `_meta` keys of the stateless revision.
    static const QString protocolVersionKey;
    static const QString clientCapabilitiesKey;
    static const QString serverInfoKey;
    // Error code for a request naming a revision the server does not speak.
    static constexpr int unsupportedVersionCode = -32022;
};

} // namespace vantrel
