#include "HelperHotKeys.h"

namespace vantrel {

namespace {

constexpr quint32 helperKeyC = 8;  // ANSI C
constexpr quint32 helperKeyR = 15; // ANSI R
constexpr quint32 helperControlOption = 0x1000 | 0x0800;

} // namespace

QString HelperHotKeys::shortcutName(quint32 keyCode, quint32 modifiers) {
    if (modifiers != helperControlOption)
        return {};
    if (keyCode == helperKeyC)
        return QStringLiteral("capture-window");
    if (keyCode == helperKeyR)
        return QStringLiteral("capture-area");
    return {};
}

bool HelperHotKeys::installHandler(Handler handler) {
    m_handler = std::move(handler);
    if (m_watching)
        return true;
    auto answer = m_helper.watchShortcuts([this](const QString& shortcut) { pressed(shortcut); });
    if (std::holds_alternative<PlatformError>(answer))
        return false;
    m_clashes = std::get<QMap<QString, QString>>(answer);
    m_watching = true;
    return true;
}

void HelperHotKeys::removeHandler() {
    m_handler = nullptr;
}

bool HelperHotKeys::registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) {
    const QString name = shortcutName(keyCode, modifiers);
    if (name.isEmpty() || m_clashes.contains(name) || m_ids.contains(name))
        return false;
    m_ids.insert(name, id);
    return true;
}

void HelperHotKeys::unregisterHotKey(quint32 id) {
    const auto registered =
        std::find_if(m_ids.begin(), m_ids.end(), [id](quint32 each) { return each == id; });
    if (registered != m_ids.end())
        m_ids.erase(registered);
}

void HelperHotKeys::pressed(const QString& shortcut) {
    const auto registered = m_ids.constFind(shortcut);
    if (m_handler && registered != m_ids.cend())
        m_handler(*registered);
}

} // namespace vantrel
