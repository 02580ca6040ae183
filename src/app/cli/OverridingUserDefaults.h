#pragma once

#include "platform/UserDefaults.h"

#include <QHash>

namespace vantrel {

// Answers some keys with values of its own and passes everything else, writes included, to the
// stored defaults. Lets one command-line run use another mode without changing the user's choice.
class OverridingUserDefaults final : public UserDefaults {
  public:
    explicit OverridingUserDefaults(UserDefaults& base) : m_base(base) {}

    void overrideString(const QString& key, const QString& value) {
        m_overrides.insert(key, value);
    }

    std::optional<QString> string(const QString& key) const override {
        if (const auto found = m_overrides.constFind(key); found != m_overrides.cend())
            return *found;
        return m_base.string(key);
    }
    void setString(const QString& key, const QString& value) override {
        m_base.setString(key, value);
    }
    bool boolValue(const QString& key) const override { return m_base.boolValue(key); }
    void setBool(const QString& key, bool value) override { m_base.setBool(key, value); }

  private:
    UserDefaults& m_base;
    QHash<QString, QString> m_overrides;
};

} // namespace vantrel
