#pragma once

#include "UserDefaults.h"

#include <QSettings>

namespace vantrel {

// Defaults kept by QSettings in an INI file; by default under the XDG config dir
// (~/.config/Vantrel/Vantrel.conf).
class SettingsUserDefaults final : public UserDefaults {
  public:
    SettingsUserDefaults();
    explicit SettingsUserDefaults(const QString& iniPath);

    std::optional<QString> string(const QString& key) const override;
    void setString(const QString& key, const QString& value) override;
    bool boolValue(const QString& key) const override;
    void setBool(const QString& key, bool value) override;

    QString fileName() const { return m_settings.fileName(); }
    // Takes in what another process wrote to the file since the last read.
    void reload() { m_settings.sync(); }

  private:
    mutable QSettings m_settings;
};

} // namespace vantrel
