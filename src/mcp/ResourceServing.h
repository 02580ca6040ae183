#pragma once

#include <QJsonArray>
#include <QString>

#include <optional>

namespace vantrel {

// The files the server offers as resources.
class ResourceServing {
  public:
    virtual ~ResourceServing() = default;

    virtual QJsonArray resources() const = 0;
    virtual QJsonArray resourceTemplates() const = 0;
    // The contents of the resource; none when there is no such resource to serve.
    virtual std::optional<QJsonArray> read(const QString& uri) const = 0;
};

} // namespace vantrel
