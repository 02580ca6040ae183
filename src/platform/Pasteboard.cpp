#include "Pasteboard.h"

#include <QJsonObject>

namespace vantrel {

namespace {

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
// Clang 14 does not deduce aggregate template arguments by itself.
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

QJsonValue dumpRepresentation(const Pasteboard::Representation& representation) {
    return std::visit(
        Overloaded{
            [](const QString& text) { return QJsonValue(text); },
            [](const QUrl& url) { return QJsonValue(url.toString(QUrl::FullyEncoded)); },
            [](const QImage& image) {
                return QJsonValue(
                    QJsonObject{{"width", image.width()}, {"height", image.height()}});
            },
            [](const QByteArray& data) { return QJsonValue(QString::fromUtf8(data)); },
        },
        representation);
}

} // namespace

const Pasteboard::Representation* Pasteboard::Item::find(const QString& type) const {
    for (const auto& [itemType, representation] : representations) {
        if (itemType == type)
            return &representation;
    }
    return nullptr;
}

void Pasteboard::clearContents() {
    m_items.clear();
    contentsDidChange();
}

void Pasteboard::writeObjects(const QList<Object>& objects) {
    for (const Object& object : objects) {
        Item item;
        if (const auto* url = std::get_if<QUrl>(&object))
            item.representations.append({fileURLType, *url});
        else
            item.representations.append({imageType, std::get<QImage>(object)});
        m_items.append(item);
    }
    contentsDidChange();
}

void Pasteboard::setString(const QString& string, const QString& type) {
    setRepresentation(type, string);
}

void Pasteboard::setData(const QByteArray& data, const QString& type) {
    setRepresentation(type, data);
}

void Pasteboard::setRepresentation(const QString& type, Representation representation) {
    if (m_items.isEmpty())
        m_items.append(Item{});
    auto& representations = m_items.first().representations;
    for (auto& [itemType, existing] : representations) {
        if (itemType == type) {
            existing = std::move(representation);
            contentsDidChange();
            return;
        }
    }
    representations.append({type, std::move(representation)});
    contentsDidChange();
}

QJsonArray Pasteboard::dump() const {
    QJsonArray items;
    for (const Item& item : m_items) {
        QJsonObject object;
        for (const auto& [type, representation] : item.representations)
            object.insert(type, dumpRepresentation(representation));
        items.append(object);
    }
    return items;
}

} // namespace vantrel
