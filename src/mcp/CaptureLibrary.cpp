#include "CaptureLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <algorithm>

namespace vantrel {

namespace {

const QString scheme = QStringLiteral("vantrel://captures/");

bool isFileName(const QString& name) {
    static const QRegularExpression form(
        QStringLiteral("^[A-Za-z0-9][A-Za-z0-9_-]*(\\.[A-Za-z0-9_-]+)*$"));
    return form.match(name).hasMatch();
}

std::optional<QByteArray> readBounded(const QString& path, qint64 limit) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > limit)
        return std::nullopt;
    return file.read(limit);
}

} // namespace

bool CaptureLibrary::isCaptureId(const QString& id) {
    static const QRegularExpression form(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d-\\d{3}(-\\d{1,6})?$"));
    return form.match(id).hasMatch();
}

QString CaptureLibrary::uri(const QString& id, const QString& name) {
    return scheme + id + u'/' + name;
}

QString CaptureLibrary::mimeType(const QString& name) {
    if (name.endsWith(QLatin1String(".png")))
        return QStringLiteral("image/png");
    if (name.endsWith(QLatin1String(".json")))
        return QStringLiteral("application/json");
    if (name.endsWith(QLatin1String(".md")))
        return QStringLiteral("text/markdown");
    return QStringLiteral("application/octet-stream");
}

std::optional<QString> CaptureLibrary::canonicalRoot() const {
    const QFileInfo info(m_root);
    // A linked captures folder is refused, as the writer refuses it.
    if (info.isSymLink() || !info.isDir())
        return std::nullopt;
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty())
        return std::nullopt;
    return canonical;
}

std::optional<QString> CaptureLibrary::folder(const QString& id) const {
    if (!isCaptureId(id))
        return std::nullopt;
    const auto root = canonicalRoot();
    if (!root)
        return std::nullopt;
    const QFileInfo info(*root + u'/' + id);
    if (info.isSymLink() || !info.isDir() || info.canonicalFilePath() != *root + u'/' + id)
        return std::nullopt;
    return info.canonicalFilePath();
}

std::optional<QString> CaptureLibrary::file(const QString& id, const QString& name) const {
    if (!isFileName(name))
        return std::nullopt;
    const auto directory = folder(id);
    if (!directory)
        return std::nullopt;
    const QString path = *directory + u'/' + name;
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile() || info.canonicalFilePath() != path)
        return std::nullopt;
    return path;
}

QStringList CaptureLibrary::files(const QString& id) const {
    const auto directory = folder(id);
    if (!directory)
        return {};
    QStringList names;
    for (const QString& name :
         QDir(*directory).entryList(QDir::Files | QDir::NoSymLinks, QDir::Name)) {
        if (file(id, name))
            names.append(name);
    }
    return names;
}

std::optional<QJsonObject> CaptureLibrary::snapshot(const QString& id) const {
    const auto path = file(id, QStringLiteral("accessibility.json"));
    if (!path)
        return std::nullopt;
    const auto bytes = readBounded(*path, maxServedBytes);
    if (!bytes)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<CaptureLibrary::Capture> CaptureLibrary::capture(const QString& id) const {
    const auto directory = folder(id);
    if (!directory)
        return std::nullopt;
    Capture capture;
    capture.id = id;
    capture.folder = *directory;
    capture.time = QDateTime::fromString(id.left(23), QStringLiteral("yyyy-MM-dd_hh-mm-ss-zzz"));
    if (const auto document = snapshot(id))
        capture.targetSummary = document->value("targetSummary").toString();
    return capture;
}

QList<CaptureLibrary::Capture> CaptureLibrary::captures() const {
    const auto root = canonicalRoot();
    if (!root)
        return {};
    QStringList ids;
    for (const QString& name : QDir(*root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (isCaptureId(name))
            ids.append(name);
    }
    // Names are timestamps; a clash suffix sorts after its base name, as it was written later.
    std::sort(ids.begin(), ids.end(), [](const QString& a, const QString& b) {
        const QString baseA = a.left(23), baseB = b.left(23);
        if (baseA != baseB)
            return baseA > baseB;
        return a.mid(24).toInt() > b.mid(24).toInt();
    });
    QList<Capture> list;
    for (const QString& id : ids) {
        if (auto entry = capture(id))
            list.append(*entry);
    }
    return list;
}

QJsonArray CaptureLibrary::resources() const {
    QJsonArray list;
    for (const Capture& entry : captures()) {
        for (const QString& name : files(entry.id)) {
            list.append(QJsonObject{{"uri", uri(entry.id, name)},
                                    {"name", entry.id + u'/' + name},
                                    {"mimeType", mimeType(name)}});
        }
    }
    return list;
}

QJsonArray CaptureLibrary::resourceTemplates() const {
    return {QJsonObject{{"uriTemplate", scheme + QStringLiteral("{capture_id}/{file}")},
                        {"name", "capture-file"},
                        {"title", "A capture folder's file"},
                        {"description",
                         "accessibility.json, screenshot.png, capture.md or capture1.md of a "
                         "capture listed by list_captures."}}};
}

std::optional<QJsonArray> CaptureLibrary::read(const QString& resource) const {
    if (!resource.startsWith(scheme))
        return std::nullopt;
    const QStringList parts = resource.mid(scheme.size()).split(u'/');
    if (parts.size() != 2)
        return std::nullopt;
    const auto path = file(parts[0], parts[1]);
    if (!path)
        return std::nullopt;
    const auto bytes = readBounded(*path, maxServedBytes);
    if (!bytes)
        return std::nullopt;
    const QString type = mimeType(parts[1]);
    QJsonObject contents{{"uri", resource}, {"mimeType", type}};
    if (type == QLatin1String("image/png") || type == QLatin1String("application/octet-stream"))
        contents.insert("blob", QString::fromLatin1(bytes->toBase64()));
    else
        contents.insert("text", QString::fromUtf8(*bytes));
    return QJsonArray{contents};
}

} // namespace vantrel
