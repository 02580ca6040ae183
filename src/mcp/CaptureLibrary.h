#pragma once

#include "ResourceServing.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace vantrel {

// The capture folders as the server shows them: listed newest first, their files served as
// `vantrel://captures/{capture_id}/{file}`. Nothing outside the captures folder is ever served:
// ids and file names are checked by form, links are refused at every level, and the resolved
// path must lie directly in the folder it claims to.
class CaptureLibrary final : public ResourceServing {
  public:
    static constexpr qint64 maxServedBytes = 64 * 1024 * 1024;

    struct Capture {
        QString id;
        QString folder; // absolute
        QDateTime time; // local time, from the folder's name
        QString targetSummary;
    };

    explicit CaptureLibrary(QString capturesRoot) : m_root(std::move(capturesRoot)) {}

    const QString& root() const { return m_root; }
    // Newest first.
    QList<Capture> captures() const;
    std::optional<Capture> capture(const QString& id) const;
    // The absolute path of a file directly in a capture folder; none for anything else.
    std::optional<QString> file(const QString& id, const QString& name) const;
    // The folder's files, sorted by name.
    QStringList files(const QString& id) const;
    // The capture's snapshot file, parsed; none when it is missing or unreadable.
    std::optional<QJsonObject> snapshot(const QString& id) const;

    static QString uri(const QString& id, const QString& name);
    static QString mimeType(const QString& name);
    static bool isCaptureId(const QString& id);

    QJsonArray resources() const override;
    QJsonArray resourceTemplates() const override;
    std::optional<QJsonArray> read(const QString& uri) const override;

  private:
    std::optional<QString> folder(const QString& id) const;
    std::optional<QString> canonicalRoot() const;

    QString m_root;
};

} // namespace vantrel
