#include "StatusMenuPresenter.h"

#include "ProductLinks.h"
#include "StatusLine.h"
#include "StatusMenuBuilder.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "output/CaptureModeSettings.h"
#include "platform/AccessibilityPlatform.h"
#include "platform/NotificationCenter.h"
#include "platform/ScreenCapturePlatform.h"
#include "platform/StandardLocations.h"
#include "platform/Updater.h"
#include "platform/Workspace.h"
#include "screen/SystemPermissionsService.h"

#include <QFileInfo>
#include <QPointer>
#include <QUrl>

namespace vantrel {

StatusMenuPresenter::StatusMenuPresenter(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(dependencies) {}

void StatusMenuPresenter::rebuildStatusMenu() {
    const SystemPermissionsService::State permissions = m_deps.permissions.state();
    const StatusMenuBuilder::State state{permissions.accessibility, permissions.screenRecording,
                                         CaptureModeSettings::primaryMode(m_deps.defaults),
                                         AgentPasteTargetSettings::target(m_deps.defaults)};
    m_statusMenu = StatusMenuBuilder::build(state, m_deps.vocabulary);
    Q_EMIT statusMenuChanged();
}

void StatusMenuPresenter::refreshToolTip() {
    m_toolTip = StatusMenuBuilder::toolTip(AgentPasteTargetSettings::target(m_deps.defaults),
                                           m_deps.vocabulary);
    Q_EMIT toolTipChanged();
}

void StatusMenuPresenter::perform(const StatusMenuItem& item) {
    switch (item.action) {
    case StatusMenuAction::none:
        return;
    case StatusMenuAction::setCaptureMode:
        return setCaptureMode(item.argument);
    case StatusMenuAction::setAgentPasteTarget:
        return setAgentPasteTarget(item.argument);
    case StatusMenuAction::copyNow:
        Q_EMIT copyNowRequested();
        return;
    case StatusMenuAction::copyRegion:
        Q_EMIT copyRegionRequested();
        return;
    case StatusMenuAction::openLatestBundle:
        return openLatestBundle();
    case StatusMenuAction::showAbout:
        Q_EMIT aboutRequested();
        return;
    case StatusMenuAction::showOnboarding:
        Q_EMIT setupAssistantRequested();
        return;
    case StatusMenuAction::openSettings:
        Q_EMIT settingsRequested();
        return;
    case StatusMenuAction::openProductPage:
        return openWebPage(ProductLinks::productPage);
    case StatusMenuAction::openDocumentation:
        return openWebPage(ProductLinks::documentation);
    case StatusMenuAction::openFeedbackPage:
        return openWebPage(ProductLinks::feedback);
    case StatusMenuAction::checkForUpdates:
        m_deps.updater.checkForUpdates();
        return;
    case StatusMenuAction::openMoreApps:
        return openWebPage(ProductLinks::moreApps);
    case StatusMenuAction::quit:
        Q_EMIT quitRequested();
        return;
    }
}

void StatusMenuPresenter::setCaptureMode(const QString& rawMode) {
    const std::optional<CaptureMode> mode = captureModeFromRaw(rawMode);
    if (!mode)
        return;
    CaptureModeSettings::setPrimaryMode(m_deps.defaults, m_deps.center, *mode);
    rebuildStatusMenu();
    refreshToolTip();
    m_deps.statusLine.set(QStringLiteral("Mode set to ") + menuTitle(*mode) +
                          QStringLiteral(". Press ") + m_deps.vocabulary.copyHotKey +
                          QStringLiteral(" over the target UI."));
}

void StatusMenuPresenter::setAgentPasteTarget(const QString& rawAgent) {
    const std::optional<AgentPasteTarget> agent = agentPasteTargetFromRaw(rawAgent);
    if (!agent)
        return;
    AgentPasteTargetSettings::setTarget(m_deps.defaults, m_deps.center, *agent);
    rebuildStatusMenu();
    refreshToolTip();
    const PlatformVocabulary& words = m_deps.vocabulary;
    m_deps.statusLine.set(QStringLiteral("Paste to ") + title(*agent) + QStringLiteral(". Press ") +
                          words.copyHotKey + QStringLiteral(", then ") + words.pasteKey +
                          QStringLiteral("."));
}

void StatusMenuPresenter::updatePermissionStatus() {
    const bool trusted = m_deps.accessibility.isProcessTrusted();
    const bool recording = isScreenRecordingGranted();
    const QString accessibility =
        trusted ? QStringLiteral("Accessibility ✓") : QStringLiteral("Accessibility ✗");
    const QString screen =
        recording ? QStringLiteral("Screen Recording ✓") : QStringLiteral("Screen Recording ✗");
    const QString mode = menuTitle(CaptureModeSettings::primaryMode(m_deps.defaults));
    // Ready is tested again, as the permissions may have changed in between.
    if (permissionsGranted()) {
        m_deps.statusLine.set(QStringLiteral("Ready. ") + accessibility + QStringLiteral(", ") +
                              screen + QStringLiteral(". Mode: ") + mode +
                              QStringLiteral(". Press ") + m_deps.vocabulary.copyHotKey +
                              QStringLiteral("."));
    } else {
        m_deps.statusLine.set(accessibility + QStringLiteral(", ") + screen +
                              QStringLiteral(". Grant missing access in System Settings — "
                                             "Vantrel picks it up on its own."));
    }
}

void StatusMenuPresenter::showPermissionsChanged() {
    updatePermissionStatus();
    rebuildStatusMenu();
}

bool StatusMenuPresenter::permissionsGranted() const {
    return m_deps.accessibility.isProcessTrusted() && isScreenRecordingGranted();
}

bool StatusMenuPresenter::isScreenRecordingGranted() const {
    return m_deps.permissions.state().screenRecording ||
           m_deps.screenCapture.preflightScreenCaptureAccess();
}

void StatusMenuPresenter::openLatestBundle() {
    const QString latest = StandardLocations::cachesDirectory() + QStringLiteral("/Vantrel/latest");
    if (!QFileInfo::exists(latest)) {
        m_deps.statusLine.set(QStringLiteral("No bundle yet. Set mode to Bundle and press ") +
                              m_deps.vocabulary.copyHotKey + QStringLiteral("."));
        return;
    }
    m_deps.workspace.openURL(QUrl::fromLocalFile(latest + QStringLiteral("/")));
}

void StatusMenuPresenter::openWebPage(const QString& path) {
    m_deps.workspace.openURL(QUrl(ProductLinks::website + path));
}

void StatusMenuPresenter::installObservers() {
    observe(SystemPermissionsService::didChangeNotification,
            &StatusMenuPresenter::showPermissionsChanged);
    observe(CaptureModeSettings::modeDidChangeNotification,
            &StatusMenuPresenter::showSettingChanged);
    observe(BundlePasteboardFormatSettings::formatDidChangeNotification,
            &StatusMenuPresenter::rebuildStatusMenu);
    observe(AgentPasteTargetSettings::targetDidChangeNotification,
            &StatusMenuPresenter::showSettingChanged);
}

void StatusMenuPresenter::observe(const QString& notification,
                                  void (StatusMenuPresenter::*handler)()) {
    QPointer<StatusMenuPresenter> weakSelf(this);
    m_deps.center.addObserver(notification, [weakSelf, handler] {
        if (weakSelf)
            (weakSelf.data()->*handler)();
    });
}

void StatusMenuPresenter::showSettingChanged() {
    rebuildStatusMenu();
    refreshToolTip();
}

} // namespace vantrel
