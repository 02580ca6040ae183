#include "MemoryUserDefaults.h"

namespace vantrel {

std::optional<QString> MemoryUserDefaults::string(const QString& key) const {
    const auto found = m_values.constFind(key);
    if (found == m_values.cend() || found->typeId() != QMetaType::QString)
        return std::nullopt;
    return found->toString();
}

void MemoryUserDefaults::setString(const QString& key, const QString& value) {
    m_values.insert(key, value);
}

bool MemoryUserDefaults::boolValue(const QString& key) const {
    return m_values.value(key).toBool();
}

void MemoryUserDefaults::setBool(const QString& key, bool value) {
    m_values.insert(key, value);
}

} // namespace vantrel
