#pragma once

#include "OnboardingCoordinator.h"
#include "PermissionStepModel.h"
#include "platform/NotificationCenter.h"
#include "screen/SystemPermissionsService.h"

#include <QObject>
#include <QString>

namespace vantrel {

struct PlatformVocabulary;

// The setup assistant as its window shows it: the welcome page's words and the two permission
// pages, kept in step with the permission monitor. Every change of the permissions refreshes the
// pages and brings the window back in front; it never changes the page shown.
class OnboardingViewModel final : public QObject {
    Q_OBJECT

  public:
    static inline const QString welcomeIcon = QStringLiteral("doc.on.clipboard");
    static inline const QString welcomeTitle =
        QStringLiteral("Show your agent exactly what you mean");
    static inline const QString getStartedTitle = QStringLiteral("Get Started");

    OnboardingViewModel(OnboardingCoordinator& coordinator, SystemPermissionsService& permissions,
                        NotificationCenter& center, const PlatformVocabulary& words,
                        QObject* parent = nullptr);
    ~OnboardingViewModel() override;

    OnboardingCoordinator& coordinator() { return m_coordinator; }
    const SystemPermissionsService::State& permissions() const { return m_permissions; }
    PermissionStepModel& accessibilityPage() { return m_accessibilityPage; }
    PermissionStepModel& screenRecordingPage() { return m_screenRecordingPage; }
    // The page for a step; none for the welcome page.
    PermissionStepModel* page(OnboardingCoordinator::Step step);

    const QString& welcomeMessage() const { return m_welcomeMessage; }
    const QString& permissionsAheadNote() const { return m_permissionsAheadNote; }
    void getStarted() { m_coordinator.advance(); }

  private:
    static PermissionStepModel::Page accessibility(SystemPermissionsService& permissions,
                                                   const PlatformVocabulary& words);
    static PermissionStepModel::Page screenRecording(SystemPermissionsService& permissions,
                                                     const PlatformVocabulary& words);
    static QString welcomeText(const PlatformVocabulary& words);
    void showPermissions(const SystemPermissionsService::State& state);
    void onPermissionsChanged();

    OnboardingCoordinator& m_coordinator;
    SystemPermissionsService& m_service;
    NotificationCenter& m_center;
    NotificationCenter::Token m_observer = 0;
    SystemPermissionsService::State m_permissions;
    PermissionStepModel m_accessibilityPage;
    PermissionStepModel m_screenRecordingPage;
    QString m_welcomeMessage;
    QString m_permissionsAheadNote;
};

} // namespace vantrel
