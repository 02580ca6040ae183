#pragma once

#include <QString>

#include <optional>

namespace vantrel {

// The user's persisted preferences, as strings and flags under string keys.
class UserDefaults {
  public:
    virtual ~UserDefaults() = default;

    // None when the key is absent or holds something other than a string.
    virtual std::optional<QString> string(const QString& key) const = 0;
    virtual void setString(const QString& key, const QString& value) = 0;
    virtual bool boolValue(const QString& key) const = 0;
    virtual void setBool(const QString& key, bool value) = 0;
};

} // namespace vantrel
