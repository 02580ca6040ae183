#include "StatusMenuWire.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantrel {

namespace {

QJsonArray wireItems(const QList<StatusMenuItem>& items, const QString& idPrefix) {
    QJsonArray wire;
    for (qsizetype index = 0; index < items.size(); ++index) {
        const StatusMenuItem& item = items[index];
        if (item.isSeparator()) {
            wire.append(QJsonObject{{QStringLiteral("separator"), true}});
            continue;
        }
        const QString id = idPrefix + u'/' + QString::number(index);
        QJsonObject entry{{QStringLiteral("id"), id},
                          {QStringLiteral("title"), item.title},
                          {QStringLiteral("enabled"), item.enabled},
                          {QStringLiteral("checked"), item.checked}};
        if (!item.submenu.isEmpty())
            entry.insert(QStringLiteral("submenu"), wireItems(item.submenu, id));
        wire.append(entry);
    }
    return wire;
}

} // namespace

QString StatusMenuWire::serialise(const StatusMenu& menu, quint64 generation) {
    return QString::fromUtf8(QJsonDocument(wireItems(menu.items, QString::number(generation)))
                                 .toJson(QJsonDocument::Compact));
}

std::optional<StatusMenuItem> StatusMenuWire::chosen(const StatusMenu& menu, quint64 generation,
                                                     const QString& id) {
    const QStringList parts = id.split(u'/');
    bool isNumber = false;
    if (parts.size() < 2 || parts.first().toULongLong(&isNumber) != generation || !isNumber)
        return std::nullopt;
    const QList<StatusMenuItem>* items = &menu.items;
    const StatusMenuItem* item = nullptr;
    for (qsizetype part = 1; part < parts.size(); ++part) {
        const qsizetype index = parts[part].toLongLong(&isNumber);
        if (!isNumber || index < 0 || index >= items->size())
            return std::nullopt;
        item = &(*items)[index];
        items = &item->submenu;
    }
    if (item->isSeparator() || !item->submenu.isEmpty() || !item->enabled)
        return std::nullopt;
    return *item;
}

} // namespace vantrel
