#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <optional>

namespace vantrel {

// One value of a scene file together with its JSON path, so that every reading that fails can
// say exactly where and what was expected. Failures throw SceneError.
class SceneJsonNode {
  public:
    SceneJsonNode(QString fileName, QJsonValue value, QString path = {});

    const QString& path() const { return m_path; }
    const QJsonValue& value() const { return m_value; }
    bool isMissing() const { return m_value.isUndefined(); }
    bool isNull() const { return m_value.isNull(); }

    SceneJsonNode operator[](const QString& key) const;
    SceneJsonNode operator[](qsizetype index) const;

    // An object whose keys are all among the allowed ones.
    QJsonObject object(const QStringList& allowedKeys) const;
    QList<SceneJsonNode> array() const;
    // Every member of an object, in key order.
    QList<std::pair<QString, SceneJsonNode>> members() const;

    QString string() const;
    std::optional<QString> stringOrNull() const;
    bool boolean() const;
    double number() const;
    qint64 integer(qint64 minimum, qint64 maximum) const;
    QPointF point() const;
    // [x, y, width, height]; with allowSpecial, a number may also be "NaN", "Infinity" or
    // "-Infinity", as the accessibility API may deliver such values.
    QRectF rect(bool allowSpecial = false) const;

    [[noreturn]] void fail(const QString& problem) const;
    [[noreturn]] void expected(const QString& expectation) const;

  private:
    std::optional<double> numberOrSpecial(bool allowSpecial) const;

    QString m_fileName;
    QJsonValue m_value;
    QString m_path;
};

} // namespace vantrel
