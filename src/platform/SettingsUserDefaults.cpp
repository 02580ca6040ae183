#include "SettingsUserDefaults.h"

#include <QStandardPaths>

namespace vantrel {

namespace {

QString defaultIniPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Vantrel/Vantrel.conf");
}

} // namespace

SettingsUserDefaults::SettingsUserDefaults() : SettingsUserDefaults(defaultIniPath()) {}

SettingsUserDefaults::SettingsUserDefaults(const QString& iniPath)
    : m_settings(iniPath, QSettings::IniFormat) {}

std::optional<QString> SettingsUserDefaults::string(const QString& key) const {
    const QVariant value = m_settings.value(key);
    // The INI format keeps every scalar as text; lists and maps written from outside are no string.
    if (!value.isValid() || value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

void SettingsUserDefaults::setString(const QString& key, const QString& value) {
    m_settings.setValue(key, value);
    m_settings.sync();
}

bool SettingsUserDefaults::boolValue(const QString& key) const {
    return m_settings.value(key).toBool();
}

void SettingsUserDefaults::setBool(const QString& key, bool value) {
    m_settings.setValue(key, value);
    m_settings.sync();
}

} // namespace vantrel
