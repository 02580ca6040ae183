#pragma once

#include <QByteArray>
#include <QImage>
#include <QJsonArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <variant>

namespace vantrel {

// Our model of the general pasteboard: a list of items, each with typed representations. Backends
// keep it (the simulated desktop) or mirror it onto the OS clipboard after every change.
class Pasteboard {
  public:
    static inline const QString plainTextType = QStringLiteral("public.utf8-plain-text");
    static inline const QString fileURLType = QStringLiteral("public.file-url");
    static inline const QString imageType = QStringLiteral("public.tiff");
    static inline const QString jsonType = QStringLiteral("public.json");

    using Representation = std::variant<QString, QUrl, QImage, QByteArray>;
    struct Item {
        QList<QPair<QString, Representation>> representations;

        const Representation* find(const QString& type) const;
    };
    // What writeObjects accepts: a file URL or an image, one item each.
    using Object = std::variant<QUrl, QImage>;

    virtual ~Pasteboard() = default;

    void clearContents();
    void writeObjects(const QList<Object>& objects);
    // Attach to the first item, creating it when the pasteboard is empty.
    void setString(const QString& string, const QString& type);
    void setData(const QByteArray& data, const QString& type);

    const QList<Item>& items() const { return m_items; }
    // Each item as a map from type to value: text as a string, a file URL as "file:///...", an
    // image as {"width", "height"}, data as UTF-8 text.
    QJsonArray dump() const;

  protected:
    // Called after every change, so a backend can mirror the model.
    virtual void contentsDidChange() {}

  private:
    void setRepresentation(const QString& type, Representation representation);

    QList<Item> m_items;
};

} // namespace vantrel
