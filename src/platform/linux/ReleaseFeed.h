#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <compare>
#include <optional>

namespace vantrel {

// An RSS update feed in the appcast style: each <item> offers one release, its version on the
// <enclosure> (sparkle:shortVersionString, else sparkle:version), in elements of those names, or
// in the <title>.
class ReleaseFeed {
  public:
    struct Release {
        QString version;
        QUrl notesUrl;    // empty when the item names none
        QUrl downloadUrl; // the enclosure, or the item's page for a release without one
        bool operator==(const Release&) const = default;
    };

    static ReleaseFeed parse(const QByteArray& xml);

    // Empty when the feed is well-formed XML; otherwise where and why it is not.
    const QString& error() const { return m_error; }
    // The items with a comparable version and a web download link, in feed order.
    const QList<Release>& releases() const { return m_releases; }
    std::optional<Release> newest() const;

    // Dotted versions compared number by number ("1.10" > "1.9", "1.2" == "1.2.0"); a
    // pre-release suffix ("1.2-beta2", "1.2rc1") sorts before the release. Unordered when either
    // side is not a version.
    static std::partial_ordering compareVersions(const QString& a, const QString& b);
    static bool isVersion(const QString& text);

  private:
    QString m_error;
    QList<Release> m_releases;
};

} // namespace vantrel
