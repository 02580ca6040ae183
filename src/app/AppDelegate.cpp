#include "AppDelegate.h"

#include "ClipCoordinator.h"
#include "accessibility/ToolkitAdvice.h"
#include "input/RegionSelecting.h"
#include "input/ToastShowing.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "output/CaptureModeSettings.h"
#include "platform/AccessibilityPlatform.h"
#include "platform/Clock.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/ScreenCapturePlatform.h"
#include "platform/ScreenList.h"
#include "platform/StandardLocations.h"
#include "platform/Updater.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "screen/SystemPermissionsService.h"
#include "ui/OnboardingCoordinator.h"
#include "ui/OnboardingViewModel.h"
#include "ui/StatusMenuBuilder.h"

#include <QFileInfo>
#include <QPointer>
#include <QUrl>

namespace vantrel {

using namespace std::chrono_literals;

namespace {

constexpr auto menuCloseDelay = 200ms;
constexpr auto overlaySettleDelay = 150ms;

// Holds the delegate weakly: a trigger that outlives it does nothing.
QCoro::Task<> runCopy(QPointer<AppDelegate> delegate, bool fromMenu, bool useRegion) {
    if (delegate)
        co_await delegate->performCopy(fromMenu, useRegion);
}

} // namespace

AppDelegate::AppDelegate(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(dependencies), m_hotKeys(m_deps.platform.hotKeys),
      m_lastCaptureMouseLocation(m_deps.platform.screens.mouseLocation()),
      m_lastStatus(QStringLiteral("Ready. Set mode in menu, then press ") +
                   m_deps.platform.vocabulary.copyHotKey + QStringLiteral(".")) {}

AppDelegate::~AppDelegate() {
    if (m_mouseMonitor)
        m_deps.platform.mouseMonitor.removeMonitor(*m_mouseMonitor);
}

void AppDelegate::setLastStatus(const QString& status) {
    m_lastStatus = status;
    m_lastStatusFollowUp.clear();
    Q_EMIT lastStatusChanged();
}

void AppDelegate::copyNowFromMenu() {
    startCopy(true, false);
}
void AppDelegate::copyRegionFromMenu() {
    startCopy(true, true);
}
void AppDelegate::copyFromHotKey() {
    startCopy(false, false);
}
void AppDelegate::copyRegionFromHotKey() {
    startCopy(false, true);
}

void AppDelegate::startCopy(bool fromMenu, bool useRegion) {
    runCopy(QPointer<AppDelegate>(this), fromMenu, useRegion);
}

QCoro::Task<std::optional<CaptureOutcome>> AppDelegate::performCopy(bool fromMenu, bool useRegion) {
    const CaptureMode mode = CaptureModeSettings::primaryMode(m_deps.defaults);

    std::optional<QPointF> capturePoint;
    if (fromMenu) {
        // The live cursor is over our menu by now; capture where it last was elsewhere.
        capturePoint = m_lastCaptureMouseLocation;
        co_await m_deps.clock.sleep(menuCloseDelay);
    }

    std::optional<QRectF> area;
    if (useRegion) {
        setLastStatus(QStringLiteral("Drag an area · release mouse to capture · Esc cancels"));
        area = co_await m_deps.regionSelection.selectRegion();
        if (!area) {
            setLastStatus(QStringLiteral("Capture cancelled."));
            co_return std::nullopt;
        }
        co_await m_deps.clock.sleep(overlaySettleDelay);
    }

    setLastStatus(QStringLiteral("Capturing (") + menuTitle(mode) + QStringLiteral(")…"));
    const CaptureOutcome outcome =
        co_await m_deps.coordinator.capture(mode, capturePoint, area, fromMenu && !useRegion);
    if (outcome.isSuccess()) {
        setLastStatus(outcome.statusLine());
        m_lastStatusFollowUp = statusFollowUp(outcome);
        m_deps.toast.show(toastText(outcome, m_deps.defaults, m_deps.platform.vocabulary));
    } else {
        setLastStatus(localizedDescription(outcome.error()));
        openSettingsIfPermissionDenied(outcome.error(), mode);
    }
    co_return outcome;
}

QString AppDelegate::toastText(const CaptureOutcome& outcome, const UserDefaults& defaults,
                               const PlatformVocabulary& vocabulary) {
    // A bundle whose snapshot is its root alone, unless that root is a control that never has
    // children: pressing again cannot bring a button's tree.
    const auto& snapshot = outcome.bundleSnapshot();
    const ToolkitAdvice::Entry* cause =
        snapshot ? ToolkitAdvice::emptyTreeCause(*snapshot) : nullptr;
    // Pressing again helps only where the toolkit builds its tree on its own.
    if (cause && !cause->shortFix.isEmpty())
        return QStringLiteral("Copied, but ") + cause->name +
               QStringLiteral(" exposes no AX tree — ") + cause->shortFix;
    if (snapshot && snapshot->nodeCount == 1 && !snapshot->rootIsLeaf)
        return QStringLiteral("Copied, but the AX tree is empty — press ") + vocabulary.copyHotKey +
               QStringLiteral(" again");
    return QStringLiteral("Copied — press ") + vocabulary.pasteKey + QStringLiteral(" in ") +
           title(AgentPasteTargetSettings::target(defaults));
}

QString AppDelegate::statusFollowUp(const CaptureOutcome& outcome) {
    const auto& snapshot = outcome.bundleSnapshot();
    const ToolkitAdvice::Entry* cause =
        snapshot ? ToolkitAdvice::emptyTreeCause(*snapshot) : nullptr;
    return cause ? ToolkitAdvice::emptyTreeExplanation(*cause) : QString();
}

void AppDelegate::openSettingsIfPermissionDenied(const CaptureError& error, CaptureMode mode) {
    SystemPermissionsService& permissions = m_deps.permissions;
    if (const auto* ax = std::get_if<AccessibilityCaptureError>(&error);
        ax && ax->code == AccessibilityCaptureError::Code::permissionDenied) {
        permissions.openAccessibilitySettings();
        return;
    }
    if (const auto* screen = std::get_if<ScreenCaptureError>(&error);
        screen && screen->code == ScreenCaptureError::Code::permissionDenied) {
        permissions.openScreenRecordingSettings();
        return;
    }
    if (mode != CaptureMode::screenshot) {
        if (!m_deps.platform.accessibility.isProcessTrusted()) {
            permissions.openAccessibilitySettings();
            return;
        }
        if (mode == CaptureMode::tree)
            return;
    }
    if (permissions.state().screenRecording ||
        m_deps.platform.screenCapture.preflightScreenCaptureAccess())
        return;
    permissions.openScreenRecordingSettings();
}

void AppDelegate::startMouseTracking() {
    rememberMouseLocation();
    const quint64 mask =
        MouseMonitor::MouseMoved | MouseMonitor::LeftMouseDown | MouseMonitor::RightMouseDown;
    QPointer<AppDelegate> weakSelf(this);
    m_mouseMonitor = m_deps.platform.mouseMonitor.addGlobalMonitor(mask, [weakSelf] {
        // Events may arrive off the main thread; the position is only touched there.
        if (!weakSelf)
            return;
        QMetaObject::invokeMethod(
            weakSelf.data(),
            [weakSelf] {
                if (weakSelf)
                    weakSelf->rememberMouseLocation();
            },
            Qt::AutoConnection);
    });
}

void AppDelegate::rememberMouseLocation() {
    const QPointF location = m_deps.platform.screens.mouseLocation();
    if (location == m_lastCaptureMouseLocation)
        return;
    m_lastCaptureMouseLocation = location;
    Q_EMIT lastCaptureMouseLocationChanged();
}

void AppDelegate::openLatestBundle() {
    const QString latest = StandardLocations::cachesDirectory() + QStringLiteral("/Vantrel/latest");
    if (!QFileInfo::exists(latest)) {
        setLastStatus(QStringLiteral("No bundle yet. Set mode to Bundle and press ") +
                      m_deps.platform.vocabulary.copyHotKey + QStringLiteral("."));
        return;
    }
    m_deps.platform.workspace.openURL(QUrl::fromLocalFile(latest + QStringLiteral("/")));
}

void AppDelegate::applicationDidFinishLaunching() {
    startMouseTracking();
    refreshStatusItemPresentation();
    rebuildStatusMenu();
    const SystemPermissionsService::State shownPermissions = m_deps.permissions.state();
    m_deps.permissions.startMonitoring();
    // The flag is written but never consulted: the assistant opens whenever a permission is
    // missing.
    if (m_deps.platform.accessibility.isProcessTrusted() && isScreenRecordingGranted())
        m_deps.defaults.setBool(onboardingCompletedKey, true);
    else
        showOnboarding();
    installObservers();
    // The monitor's first poll can finish before the observers exist; its news must not be lost.
    if (m_deps.permissions.state() != shownPermissions)
        onPermissionsChanged();
    m_deps.platform.updater.start();

    QPointer<AppDelegate> weakSelf(this);
    m_hotKeys.onCopy = [weakSelf] {
        if (weakSelf)
            weakSelf->copyFromHotKey();
    };
    m_hotKeys.onRegionCopy = [weakSelf] {
        if (weakSelf)
            weakSelf->copyRegionFromHotKey();
    };
    m_hotKeys.registerHotKeys();
}

void AppDelegate::applicationWillTerminate() {
    m_hotKeys.unregisterHotKeys();
    if (m_mouseMonitor)
        m_deps.platform.mouseMonitor.removeMonitor(*m_mouseMonitor);
    m_mouseMonitor.reset();
}

void AppDelegate::applicationDidBecomeActive() {
    m_deps.permissions.resetPromptFlags();
    updatePermissionStatus();
    rebuildStatusMenu();
}

void AppDelegate::rebuildStatusMenu() {
    const SystemPermissionsService::State permissions = m_deps.permissions.state();
    const StatusMenuBuilder::State state{permissions.accessibility, permissions.screenRecording,
                                         CaptureModeSettings::primaryMode(m_deps.defaults),
                                         AgentPasteTargetSettings::target(m_deps.defaults)};
    m_statusMenu = StatusMenuBuilder::build(state, m_deps.platform.vocabulary);
    Q_EMIT statusMenuChanged();
}

void AppDelegate::refreshStatusItemPresentation() {
    m_toolTip = StatusMenuBuilder::toolTip(AgentPasteTargetSettings::target(m_deps.defaults),
                                           m_deps.platform.vocabulary);
    Q_EMIT toolTipChanged();
}

void AppDelegate::perform(const StatusMenuItem& item) {
    switch (item.action) {
    case StatusMenuAction::none:
        return;
    case StatusMenuAction::setCaptureMode:
        return setCaptureMode(item.argument);
    case StatusMenuAction::setAgentPasteTarget:
        return setAgentPasteTarget(item.argument);
    case StatusMenuAction::copyNow:
        return copyNowFromMenu();
    case StatusMenuAction::copyRegion:
        return copyRegionFromMenu();
    case StatusMenuAction::openLatestBundle:
        return openLatestBundle();
    case StatusMenuAction::showAbout:
        return showAboutPanel();
    case StatusMenuAction::showOnboarding:
        return showOnboarding();
    case StatusMenuAction::openSettings:
        return openSettings();
    case StatusMenuAction::openProductPage:
        return openWebPage(QStringLiteral("/vantrel/"));
    case StatusMenuAction::openDocumentation:
        return openWebPage(QStringLiteral("/vantrel/documentation/"));
    case StatusMenuAction::openFeedbackPage:
        return openWebPage(QStringLiteral("/contact-us/"));
    case StatusMenuAction::checkForUpdates:
        return checkForUpdatesFromMenu();
    case StatusMenuAction::openMoreApps:
        return openWebPage(QStringLiteral("/"));
    case StatusMenuAction::quit:
        Q_EMIT quitRequested();
        return;
    }
}

void AppDelegate::setCaptureMode(const QString& rawMode) {
    const std::optional<CaptureMode> mode = captureModeFromRaw(rawMode);
    if (!mode)
        return;
    CaptureModeSettings::setPrimaryMode(m_deps.defaults, m_deps.center, *mode);
    rebuildStatusMenu();
    refreshStatusItemPresentation();
    setLastStatus(QStringLiteral("Mode set to ") + menuTitle(*mode) + QStringLiteral(". Press ") +
                  m_deps.platform.vocabulary.copyHotKey + QStringLiteral(" over the target UI."));
}

void AppDelegate::setAgentPasteTarget(const QString& rawAgent) {
    const std::optional<AgentPasteTarget> agent = agentPasteTargetFromRaw(rawAgent);
    if (!agent)
        return;
    AgentPasteTargetSettings::setTarget(m_deps.defaults, m_deps.center, *agent);
    rebuildStatusMenu();
    refreshStatusItemPresentation();
    const PlatformVocabulary& words = m_deps.platform.vocabulary;
    setLastStatus(QStringLiteral("Paste to ") + title(*agent) + QStringLiteral(". Press ") +
                  words.copyHotKey + QStringLiteral(", then ") + words.pasteKey +
                  QStringLiteral("."));
}

void AppDelegate::updatePermissionStatus() {
    const bool trusted = m_deps.platform.accessibility.isProcessTrusted();
    const bool recording = isScreenRecordingGranted();
    const QString accessibility =
        trusted ? QStringLiteral("Accessibility ✓") : QStringLiteral("Accessibility ✗");
    const QString screen =
        recording ? QStringLiteral("Screen Recording ✓") : QStringLiteral("Screen Recording ✗");
    const QString mode = menuTitle(CaptureModeSettings::primaryMode(m_deps.defaults));
    // Ready is tested again, as the permissions may have changed in between.
    if (m_deps.platform.accessibility.isProcessTrusted() && isScreenRecordingGranted()) {
        setLastStatus(QStringLiteral("Ready. ") + accessibility + QStringLiteral(", ") + screen +
                      QStringLiteral(". Mode: ") + mode + QStringLiteral(". Press ") +
                      m_deps.platform.vocabulary.copyHotKey + QStringLiteral("."));
    } else {
        setLastStatus(accessibility + QStringLiteral(", ") + screen +
                      QStringLiteral(". Grant missing access in System Settings — Vantrel "
                                     "picks it up on its own."));
    }
}

bool AppDelegate::isScreenRecordingGranted() const {
    return m_deps.permissions.state().screenRecording ||
           m_deps.platform.screenCapture.preflightScreenCaptureAccess();
}

void AppDelegate::installObservers() {
    observe(SystemPermissionsService::didChangeNotification, &AppDelegate::onPermissionsChanged);
    observe(CaptureModeSettings::modeDidChangeNotification, &AppDelegate::onCaptureModeChanged);
    observe(BundlePasteboardFormatSettings::formatDidChangeNotification,
            &AppDelegate::rebuildStatusMenu);
    observe(AgentPasteTargetSettings::targetDidChangeNotification,
            &AppDelegate::onAgentPasteTargetChanged);
}

void AppDelegate::observe(const QString& notification, void (AppDelegate::*handler)()) {
    QPointer<AppDelegate> weakSelf(this);
    m_deps.center.addObserver(notification, [weakSelf, handler] {
        if (weakSelf)
            (weakSelf.data()->*handler)();
    });
}

void AppDelegate::onPermissionsChanged() {
    updatePermissionStatus();
    rebuildStatusMenu();
}

void AppDelegate::onCaptureModeChanged() {
    rebuildStatusMenu();
    refreshStatusItemPresentation();
}

void AppDelegate::onAgentPasteTargetChanged() {
    rebuildStatusMenu();
    refreshStatusItemPresentation();
}

void AppDelegate::openSettings() {
    Q_EMIT settingsRequested();
}

void AppDelegate::showOnboarding() {
    if (!m_onboarding) {
        QPointer<AppDelegate> weakSelf(this);
        UserDefaults* defaults = &m_deps.defaults;
        auto* coordinator = new OnboardingCoordinator(
            [weakSelf, defaults] {
                defaults->setBool(onboardingCompletedKey, true);
                if (weakSelf)
                    weakSelf->closeOnboarding();
            },
            this);
        m_onboardingModel = new OnboardingViewModel(*coordinator, m_deps.permissions, m_deps.center,
                                                    m_deps.platform.vocabulary, coordinator);
        m_onboarding = coordinator;
    }
    if (!m_onboarding->window())
        Q_EMIT onboardingRequested(m_onboardingModel);
    if (OnboardingWindowControl* window = m_onboarding->window())
        window->bringToFront();
}

OnboardingCoordinator* AppDelegate::onboarding() const {
    return m_onboarding;
}

void AppDelegate::closeOnboarding() {
    if (m_onboarding) {
        m_onboarding->forgetWindow();
        Q_EMIT onboardingClosed();
        // Completion runs inside the coordinator's own advance(), called from a click.
        m_onboarding->deleteLater();
        m_onboarding = nullptr;
        m_onboardingModel = nullptr;
    }
    m_deps.permissions.requestScreenRecordingIfNeeded();
    m_deps.permissions.requestAccessibilityIfNeeded();
    updatePermissionStatus();
}

void AppDelegate::showAboutPanel() {
    Q_EMIT aboutRequested();
}

void AppDelegate::checkForUpdatesFromMenu() {
    m_deps.platform.updater.checkForUpdates();
}

void AppDelegate::openWebPage(const QString& path) {
    m_deps.platform.workspace.openURL(QUrl(website + path));
}

QString AppDelegate::settingsWhereabouts() const {
    const PlatformVocabulary& words = m_deps.platform.vocabulary;
    return QStringLiteral("Without the menu, start Vantrel again to open its settings window, or "
                          "change the capture mode and the agent in a terminal:\n"
                          "  vantrel settings              shows every setting\n"
                          "  vantrel settings NAME VALUE   changes one (mode, agent, "
                          "pasteboard-format, bundle-format)\n"
                          "Vantrel reads the screen and the interface of other applications; "
                          "if a capture says access is missing, turn it on in ") +
           words.accessibilitySettingsPath + QStringLiteral(".");
}

} // namespace vantrel
