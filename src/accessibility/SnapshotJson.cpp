#include "SnapshotJson.h"

#include <QJsonArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace vantrel {

namespace {

std::optional<QJsonValue> array(const QVariantList& list) {
    QJsonArray result;
    for (const QVariant& entry : list) {
        const auto converted = SnapshotJson::value(entry);
        if (!converted)
            return std::nullopt;
        result.append(*converted);
    }
    return result;
}

std::optional<QJsonValue> number(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    return QJsonValue(value);
}

// ---- writing -----------------------------------------------------------------------------------
// Byte for byte what QJsonDocument writes: four-space indents, keys in code point order, strings
// as UTF-8 with QJsonDocument's escapes, lone surrogates as \u escapes, numbers as QByteArray
// prints them.

constexpr int worstBytesPerUnit = 6; // a \uXXXX escape

template <class T> const T& held(const QVariant& value) {
    return *static_cast<const T*>(value.constData());
}

char hexDigit(unsigned digit) {
    return static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
}

char* escapedUnit(char* cursor, char16_t unit) {
    *cursor++ = '\\';
    *cursor++ = 'u';
    for (int shift = 12; shift >= 0; shift -= 4)
        *cursor++ = hexDigit((unit >> shift) & 0xF);
    return cursor;
}

char* escapedAscii(char* cursor, char16_t unit) {
    const char* named = nullptr;
    switch (unit) {
    case u'"':
        named = "\\\"";
        break;
    case u'\\':
        named = "\\\\";
        break;
    case u'\b':
        named = "\\b";
        break;
    case u'\f':
        named = "\\f";
        break;
    case u'\n':
        named = "\\n";
        break;
    case u'\r':
        named = "\\r";
        break;
    case u'\t':
        named = "\\t";
        break;
    default:
        return escapedUnit(cursor, unit);
    }
    *cursor++ = named[0];
    *cursor++ = named[1];
    return cursor;
}

char* utf8(char* cursor, char32_t point, int length) {
    static constexpr unsigned char lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int index = length - 1; index > 0; --index) {
        cursor[index] = static_cast<char>(0x80 | (point & 0x3F));
        point >>= 6;
    }
    cursor[0] = static_cast<char>(lead[length] | point);
    return cursor + length;
}

void writeString(QByteArray& out, QStringView text) {
    const qsizetype start = out.size();
    out.resize(start + 2 + worstBytesPerUnit * text.size());
    char* cursor = out.data() + start;
    *cursor++ = '"';
    const char16_t* unit = text.utf16();
    const char16_t* const end = unit + text.size();
    for (; unit != end; ++unit) {
        const char16_t u = *unit;
        if (u < 0x80 && u >= 0x20 && u != u'"' && u != u'\\')
            *cursor++ = static_cast<char>(u);
        else if (u < 0x80)
            cursor = escapedAscii(cursor, u);
        else if (u < 0x800)
            cursor = utf8(cursor, u, 2);
        else if (!QChar::isSurrogate(u))
            cursor = utf8(cursor, u, 3);
        else if (QChar::isHighSurrogate(u) && unit + 1 != end && QChar::isLowSurrogate(unit[1]))
            cursor = utf8(cursor, QChar::surrogateToUcs4(u, *++unit), 4);
        else
            cursor = escapedUnit(cursor, u);
    }
    *cursor++ = '"';
    out.truncate(cursor - out.constData());
}

void writeIndent(QByteArray& out, int depth) {
    out.append(4 * depth, ' ');
}

void writeInteger(QByteArray& out, qlonglong value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr - digits);
}

// QJsonValue keeps whole numbers up to 2^53 as integers, so they never take an exponent.
void writeDouble(QByteArray& out, double value) {
    constexpr double largestExactInteger = 9007199254740992.0;
    if (std::trunc(value) == value && std::abs(value) <= largestExactInteger)
        writeInteger(out, static_cast<qlonglong>(value));
    else
        out.append(QByteArray::number(value, 'g', QLocale::FloatingPointShortest));
}

bool writeValue(QByteArray& out, const QVariant& value, int depth);

bool writeList(QByteArray& out, const QVariantList& list, int depth) {
    out.append("[\n");
    for (qsizetype index = 0; index < list.size(); ++index) {
        writeIndent(out, depth + 1);
        if (!writeValue(out, list[index], depth + 1))
            return false;
        out.append(index + 1 == list.size() ? "\n" : ",\n");
    }
    writeIndent(out, depth);
    out.append(']');
    return true;
}

// QVariantMap orders keys by UTF-16 code unit, JSON objects by code point; the two differ only
// when a key holds a unit from U+D800 up.
bool sortedAsJson(const QVariantMap& map) {
    for (auto it = map.keyBegin(); it != map.keyEnd(); ++it) {
        if (std::any_of(it->cbegin(), it->cend(), [](QChar c) { return c.unicode() >= 0xD800; }))
            return false;
    }
    return true;
}

// Rare keys take QJsonObject's own order, whatever it makes of lone surrogates.
std::vector<QVariantMap::const_iterator> entries(const QVariantMap& map) {
    std::vector<QVariantMap::const_iterator> result;
    result.reserve(static_cast<size_t>(map.size()));
    if (sortedAsJson(map)) {
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            result.push_back(it);
        return result;
    }
    QJsonObject order;
    for (auto it = map.keyBegin(); it != map.keyEnd(); ++it)
        order.insert(*it, QJsonValue());
    for (const QString& key : order.keys())
        result.push_back(map.constFind(key));
    return result;
}

bool writeMap(QByteArray& out, const QVariantMap& map, int depth) {
    out.append("{\n");
    const auto sorted = entries(map);
    for (size_t index = 0; index < sorted.size(); ++index) {
        writeIndent(out, depth + 1);
        writeString(out, sorted[index].key());
        out.append(": ");
        if (!writeValue(out, sorted[index].value(), depth + 1))
            return false;
        out.append(index + 1 == sorted.size() ? "\n" : ",\n");
    }
    writeIndent(out, depth);
    out.append('}');
    return true;
}

bool writeValue(QByteArray& out, const QVariant& value, int depth) {
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
        return writeMap(out, held<QVariantMap>(value), depth);
    case QMetaType::QVariantList:
        return writeList(out, held<QVariantList>(value), depth);
    case QMetaType::QString:
        writeString(out, held<QString>(value));
        return true;
    case QMetaType::Bool:
        out.append(value.toBool() ? "true" : "false");
        return true;
    case QMetaType::Int:
    case QMetaType::LongLong:
        writeInteger(out, value.toLongLong());
        return true;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (!std::isfinite(number))
            return false;
        writeDouble(out, number);
        return true;
    }
    default:
        return false;
    }
}

} // namespace

std::optional<QJsonObject> SnapshotJson::object(const QVariantMap& map) {
    QJsonObject result;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const auto converted = value(it.value());
        if (!converted)
            return std::nullopt;
        result.insert(it.key(), *converted);
    }
    return result;
}

std::optional<QJsonValue> SnapshotJson::value(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
        if (auto converted = object(value.toMap()))
            return QJsonValue(*converted);
        return std::nullopt;
    case QMetaType::QVariantList:
        return array(value.toList());
    case QMetaType::QString:
        return QJsonValue(value.toString());
    case QMetaType::Bool:
        return QJsonValue(value.toBool());
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QJsonValue(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return number(value.toDouble());
    default:
        return std::nullopt;
    }
}

std::optional<QByteArray> SnapshotJson::indented(const QVariantMap& map) {
    QByteArray out;
    if (!writeMap(out, map, 0))
        return std::nullopt;
    out.append('\n');
    return out;
}

} // namespace vantrel
