#pragma once

#include "UserDefaults.h"

#include <QHash>
#include <QVariant>

namespace vantrel {

// Defaults that live only as long as the object; for tests and one-off runs.
class MemoryUserDefaults final : public UserDefaults {
  public:
    std::optional<QString> string(const QString& key) const override;
    void setString(const QString& key, const QString& value) override;
    bool boolValue(const QString& key) const override;
    void setBool(const QString& key, bool value) override;

    // Stores any value, as another program editing the defaults might.
    void setRaw(const QString& key, const QVariant& value) { m_values.insert(key, value); }

  private:
    QHash<QString, QVariant> m_values;
};

} // namespace vantrel
