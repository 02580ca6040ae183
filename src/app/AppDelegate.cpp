#include "AppDelegate.h"

#include "platform/Platform.h"
#include "platform/Updater.h"
#include "screen/SystemPermissionsService.h"

#include <QPointer>

namespace vantrel {

namespace {

QString readyLine(const PlatformVocabulary& words) {
    return QStringLiteral("Ready. Set mode in menu, then press ") + words.copyHotKey +
           QStringLiteral(".");
}

} // namespace

AppDelegate::AppDelegate(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(dependencies), m_statusLine(readyLine(m_deps.platform.vocabulary)),
      m_pointer(m_deps.platform.screens, m_deps.platform.mouseMonitor),
      m_runner({m_deps.coordinator, m_deps.defaults, m_deps.clock, m_deps.regionSelection,
                m_deps.toast, m_statusLine, m_pointer, m_deps.permissionFollowUp,
                m_deps.platform.vocabulary}),
      m_statusMenu({m_deps.defaults, m_deps.center, m_deps.permissions,
                    m_deps.platform.accessibility, m_deps.platform.screenCapture,
                    m_deps.platform.workspace, m_deps.platform.updater, m_statusLine,
                    m_deps.platform.vocabulary}),
      m_setupAssistant(
          {m_deps.permissions, m_deps.center, m_deps.defaults, m_deps.platform.vocabulary}),
      m_hotKeys(m_deps.platform.hotKeys) {
    connect(&m_statusMenu, &StatusMenuPresenter::copyNowRequested, &m_runner,
            &CaptureRunner::copyNowFromMenu);
    connect(&m_statusMenu, &StatusMenuPresenter::copyRegionRequested, &m_runner,
            &CaptureRunner::copyRegionFromMenu);
    connect(&m_statusMenu, &StatusMenuPresenter::setupAssistantRequested, &m_setupAssistant,
            &SetupAssistantFlow::show);
    connect(&m_setupAssistant, &SetupAssistantFlow::finished, &m_statusMenu,
            &StatusMenuPresenter::updatePermissionStatus);
}

void AppDelegate::applicationDidFinishLaunching() {
    m_pointer.start();
    m_statusMenu.refreshToolTip();
    m_statusMenu.rebuildStatusMenu();
    SystemPermissionsService& permissions = m_deps.permissions;
    const SystemPermissionsService::State shownPermissions = permissions.state();
    permissions.startMonitoring();
    m_setupAssistant.openUnlessGranted(m_statusMenu.permissionsGranted());
    m_statusMenu.installObservers();
    // The monitor's first poll can finish before the observers exist; its news must not be lost.
    if (permissions.state() != shownPermissions)
        m_statusMenu.showPermissionsChanged();
    m_deps.platform.updater.start();

    QPointer<CaptureRunner> runner(&m_runner);
    m_hotKeys.onCopy = [runner] {
        if (runner)
            runner->copyFromHotKey();
    };
    m_hotKeys.onRegionCopy = [runner] {
        if (runner)
            runner->copyRegionFromHotKey();
    };
    m_hotKeys.registerHotKeys();
}

void AppDelegate::applicationWillTerminate() {
    m_hotKeys.unregisterHotKeys();
    m_pointer.stop();
}

void AppDelegate::applicationDidBecomeActive() {
    m_deps.permissions.resetPromptFlags();
    m_statusMenu.showPermissionsChanged();
}

} // namespace vantrel
