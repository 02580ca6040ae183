#include "LaunchAtLoginSwitch.h"

#include "LaunchAtLogin.h"
#include "platform/LoginItemService.h"
#include "platform/PlatformError.h"

namespace vantrel {

LaunchAtLoginSwitch::LaunchAtLoginSwitch(LoginItemService& loginItem,
                                         const PlatformVocabulary& vocabulary, QObject* parent)
    : QObject(parent), m_loginItem(loginItem), m_vocabulary(vocabulary) {
    readStatus();
}

QString LaunchAtLoginSwitch::note() const {
    return m_error.value_or(LaunchAtLogin::statusText(m_loginItem.status(), m_vocabulary));
}

void LaunchAtLoginSwitch::setOn(bool wanted) {
    try {
        LaunchAtLogin::setEnabled(m_loginItem, wanted);
        m_error.reset();
    } catch (const PlatformError& error) {
        m_error = QStringLiteral("Could not change it: ") + error.localizedDescription();
    }
    readStatus();
    Q_EMIT changed();
}

void LaunchAtLoginSwitch::refresh() {
    readStatus();
    Q_EMIT changed();
}

void LaunchAtLoginSwitch::readStatus() {
    m_on = m_loginItem.status() == LoginItemService::Status::enabled;
}

} // namespace vantrel
