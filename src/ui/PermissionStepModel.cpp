#include "PermissionStepModel.h"

#include "OnboardingCoordinator.h"
#include "platform/PlatformVocabulary.h"

namespace vantrel {

PermissionStepModel::PermissionStepModel(OnboardingCoordinator& coordinator, Page page,
                                         const PlatformVocabulary& words, QObject* parent)
    : QObject(parent), m_coordinator(coordinator), m_page(std::move(page)),
      m_waitingLine(words.waitingForSettings), m_openSettingsTitle(words.openSystemSettings) {}

void PermissionStepModel::setGranted(bool granted) {
    if (granted == m_granted)
        return;
    m_granted = granted;
    Q_EMIT changed();
}

QString PermissionStepModel::icon() const {
    return m_granted ? grantedIcon : m_page.icon;
}

QColor PermissionStepModel::tint() const {
    return m_granted ? grantedTint : m_page.tint;
}

QString PermissionStepModel::steps() const {
    return m_granted ? QString() : m_page.steps;
}

QString PermissionStepModel::statusLine() const {
    if (m_granted)
        return QStringLiteral("Granted");
    return m_didRequest ? m_waitingLine : QString();
}

QString PermissionStepModel::primaryTitle() const {
    if (m_granted)
        return m_page.isLast ? QStringLiteral("Finish") : QStringLiteral("Next");
    return m_didRequest ? m_openSettingsTitle : QStringLiteral("Request Access");
}

QString PermissionStepModel::secondaryTitle() const {
    return m_page.isLast ? QStringLiteral("Skip for now") : QStringLiteral("Later");
}

void PermissionStepModel::pressPrimary() {
    if (m_granted) {
        m_coordinator.advance();
        return;
    }
    m_coordinator.beginSystemDialog();
    if (m_didRequest)
        m_page.openSettings();
    else
        m_page.request();
    if (!m_didRequest) {
        m_didRequest = true;
        Q_EMIT changed();
    }
}

void PermissionStepModel::pressSecondary() {
    m_coordinator.advance();
}

} // namespace vantrel
