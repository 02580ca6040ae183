#include "SceneJsonNode.h"

#include "SceneError.h"

#include <QJsonArray>

#include <cmath>
#include <limits>

namespace vantrel {

namespace {

// Integers beyond 2^53 do not survive a JSON double.
constexpr double maxExactInteger = 9007199254740992.0;

} // namespace

SceneJsonNode::SceneJsonNode(QString fileName, QJsonValue value, QString path)
    : m_fileName(std::move(fileName)), m_value(std::move(value)), m_path(std::move(path)) {}

SceneJsonNode SceneJsonNode::operator[](const QString& key) const {
    const QString path = m_path.isEmpty() ? key : m_path + u'.' + key;
    return SceneJsonNode(m_fileName, m_value.toObject().value(key), path);
}

SceneJsonNode SceneJsonNode::operator[](qsizetype index) const {
    const QString path = m_path + u'[' + QString::number(index) + u']';
    return SceneJsonNode(m_fileName, m_value.toArray().at(index), path);
}

QJsonObject SceneJsonNode::object(const QStringList& allowedKeys) const {
    if (!m_value.isObject())
        expected(QStringLiteral("an object"));
    const QJsonObject object = m_value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!allowedKeys.contains(it.key()))
            (*this)[it.key()].fail(QStringLiteral("unknown key; expected one of ") +
                                   allowedKeys.join(QStringLiteral(", ")));
    }
    return object;
}

QList<SceneJsonNode> SceneJsonNode::array() const {
    if (!m_value.isArray())
        expected(QStringLiteral("an array"));
    QList<SceneJsonNode> items;
    for (qsizetype index = 0; index < m_value.toArray().size(); ++index)
        items.append((*this)[index]);
    return items;
}

QList<std::pair<QString, SceneJsonNode>> SceneJsonNode::members() const {
    if (!m_value.isObject())
        expected(QStringLiteral("an object"));
    QList<std::pair<QString, SceneJsonNode>> members;
    for (const QString& key : m_value.toObject().keys())
        members.append({key, (*this)[key]});
    return members;
}

QString SceneJsonNode::string() const {
    if (!m_value.isString())
        expected(QStringLiteral("a string"));
    return m_value.toString();
}

std::optional<QString> SceneJsonNode::stringOrNull() const {
    if (m_value.isNull())
        return std::nullopt;
    if (!m_value.isString())
        expected(QStringLiteral("a string or null"));
    return m_value.toString();
}

bool SceneJsonNode::boolean() const {
    if (!m_value.isBool())
        expected(QStringLiteral("true or false"));
    return m_value.toBool();
}

double SceneJsonNode::number() const {
    if (!m_value.isDouble())
        expected(QStringLiteral("a number"));
    return m_value.toDouble();
}

qint64 SceneJsonNode::integer(qint64 minimum, qint64 maximum) const {
    const double value = m_value.toDouble();
    const bool whole =
        m_value.isDouble() && std::trunc(value) == value && std::abs(value) <= maxExactInteger;
    if (!whole || value < double(minimum) || value > double(maximum)) {
        expected(QStringLiteral("an integer from %1 to %2")
                     .arg(QString::number(minimum), QString::number(maximum)));
    }
    return static_cast<qint64>(value);
}

QPointF SceneJsonNode::point() const {
    const QJsonArray array = m_value.toArray();
    if (!m_value.isArray() || array.size() != 2 || !array[0].isDouble() || !array[1].isDouble())
        expected(QStringLiteral("an array of two numbers"));
    return QPointF(array[0].toDouble(), array[1].toDouble());
}

QRectF SceneJsonNode::rect(bool allowSpecial) const {
    const QJsonArray array = m_value.toArray();
    if (!m_value.isArray() || array.size() != 4)
        expected(QStringLiteral("an array of four numbers"));
    double values[4];
    for (qsizetype index = 0; index < 4; ++index) {
        const auto value = (*this)[index].numberOrSpecial(allowSpecial);
        if (!value)
            expected(QStringLiteral("an array of four numbers"));
        values[index] = *value;
    }
    return QRectF(values[0], values[1], values[2], values[3]);
}

std::optional<double> SceneJsonNode::numberOrSpecial(bool allowSpecial) const {
    if (m_value.isDouble())
        return m_value.toDouble();
    if (!allowSpecial || !m_value.isString())
        return std::nullopt;
    const QString text = m_value.toString();
    if (text == u"NaN")
        return std::numeric_limits<double>::quiet_NaN();
    if (text == u"Infinity")
        return std::numeric_limits<double>::infinity();
    if (text == u"-Infinity")
        return -std::numeric_limits<double>::infinity();
    return std::nullopt;
}

void SceneJsonNode::fail(const QString& problem) const {
    const QString where = m_path.isEmpty() ? QString() : m_path + QStringLiteral(": ");
    throw SceneError(m_fileName + QStringLiteral(": ") + where + problem);
}

void SceneJsonNode::expected(const QString& expectation) const {
    fail((isMissing() ? QStringLiteral("missing; expected ") : QStringLiteral("expected ")) +
         expectation);
}

} // namespace vantrel
