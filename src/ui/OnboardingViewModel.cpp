#include "OnboardingViewModel.h"

#include "platform/PlatformVocabulary.h"

#include <QPointer>

namespace vantrel {

namespace {

const QColor blue(0x00, 0x7A, 0xFF);
const QColor red(0xFF, 0x3B, 0x30);

} // namespace

OnboardingViewModel::OnboardingViewModel(OnboardingCoordinator& coordinator,
                                         SystemPermissionsService& permissions,
                                         NotificationCenter& center,
                                         const PlatformVocabulary& words, QObject* parent)
    : QObject(parent), m_coordinator(coordinator), m_service(permissions), m_center(center),
      m_accessibilityPage(coordinator, accessibility(permissions, words), words),
      m_screenRecordingPage(coordinator, screenRecording(permissions, words), words),
      m_welcomeMessage(welcomeText(words)), m_permissionsAheadNote(words.permissionsAheadNote) {
    showPermissions(permissions.state());
    QPointer<OnboardingViewModel> weakSelf(this);
    m_observer = center.addObserver(SystemPermissionsService::didChangeNotification, [weakSelf] {
        if (weakSelf)
            weakSelf->onPermissionsChanged();
    });
}

OnboardingViewModel::~OnboardingViewModel() {
    m_center.removeObserver(m_observer);
}

PermissionStepModel* OnboardingViewModel::page(OnboardingCoordinator::Step step) {
    switch (step) {
    case OnboardingCoordinator::Step::welcome:
        return nullptr;
    case OnboardingCoordinator::Step::accessibility:
        return &m_accessibilityPage;
    case OnboardingCoordinator::Step::screenRecording:
        return &m_screenRecordingPage;
    }
    return nullptr;
}

PermissionStepModel::Page OnboardingViewModel::accessibility(SystemPermissionsService& permissions,
                                                             const PlatformVocabulary& words) {
    return {QStringLiteral("accessibility"),
            blue,
            QStringLiteral("Accessibility"),
            QStringLiteral("Vantrel reads the interface under your cursor — roles, labels, values "
                           "and bounds — so the agent knows which control you mean."),
            words.accessibilitySteps,
            false,
            [&permissions] { permissions.requestAccessibility(); },
            [&permissions] { permissions.openAccessibilitySettings(); }};
}

PermissionStepModel::Page
OnboardingViewModel::screenRecording(SystemPermissionsService& permissions,
                                     const PlatformVocabulary& words) {
    return {QStringLiteral("record.circle.fill"),
            red,
            QStringLiteral("Screen Recording"),
            QStringLiteral("The capture also carries a screenshot of the window or the area you "
                           "select. ") +
                words.screenRecordingReason,
            QString(),
            true,
            [&permissions] { permissions.requestScreenRecordingIfNeeded(); },
            [&permissions] { permissions.openScreenRecordingSettings(); }};
}

QString OnboardingViewModel::welcomeText(const PlatformVocabulary& words) {
    return QStringLiteral("Press ") + words.copyHotKey +
           QStringLiteral(" to capture the front window, or ") + words.regionHotKey +
           QStringLiteral(" to drag an area. Vantrel puts the screenshot and the interface "
                          "structure on the clipboard — paste it into Claude Code, Cursor or "
                          "Codex with ") +
           words.pasteKey + QStringLiteral(".");
}

void OnboardingViewModel::showPermissions(const SystemPermissionsService::State& state) {
    m_permissions = state;
    m_accessibilityPage.setGranted(state.accessibility);
    m_screenRecordingPage.setGranted(state.screenRecording);
}

void OnboardingViewModel::onPermissionsChanged() {
    showPermissions(m_service.state());
    m_coordinator.endSystemDialog();
}

} // namespace vantrel
