#pragma once

#include "CaptureOutcome.h"
#include "input/HotKeyManager.h"
#include "output/CaptureMode.h"
#include "platform/MouseMonitor.h"
#include "ui/StatusMenu.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>

#include <optional>

namespace vantrel {

class ClipCoordinator;
class Clock;
class NotificationCenter;
class OnboardingCoordinator;
class OnboardingViewModel;
class RegionSelecting;
class SystemPermissionsService;
class ToastShowing;
class UserDefaults;
struct Platform;
struct PlatformVocabulary;

// The application: its start-up and shutdown, the status menu and tooltip as data, the mode and
// agent choices, the permission status line, and the capture side: the four ways to start a
// capture, the one command that runs it, the status line that reports every step, the toast, the
// jump to the privacy pane after a permission failure, and the remembered cursor position menu
// commands capture at. Windows and dialogs are asked for through signals; views show them.
class AppDelegate final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString lastStatus READ lastStatus NOTIFY lastStatusChanged)
    Q_PROPERTY(QPointF lastCaptureMouseLocation READ lastCaptureMouseLocation NOTIFY
                   lastCaptureMouseLocationChanged)

  public:
    struct Dependencies {
        const Platform& platform;
        ClipCoordinator& coordinator;
        UserDefaults& defaults;
        NotificationCenter& center;
        Clock& clock;
        RegionSelecting& regionSelection;
        ToastShowing& toast;
        SystemPermissionsService& permissions;
    };

    explicit AppDelegate(Dependencies dependencies, QObject* parent = nullptr);
    ~AppDelegate() override;

    const QString& lastStatus() const { return m_lastStatus; }
    // Said after the status line: why a capture's tree came back empty; empty otherwise.
    const QString& lastStatusFollowUp() const { return m_lastStatusFollowUp; }
    // Also clears the follow-up.
    void setLastStatus(const QString& status);
    QPointF lastCaptureMouseLocation() const { return m_lastCaptureMouseLocation; }

    // The four triggers; each starts its own run and returns at once.
    void copyNowFromMenu();
    void copyRegionFromMenu();
    void copyFromHotKey();
    void copyRegionFromHotKey();

    // Start-up, in order: mouse tracking, the status menu and tooltip, the permission monitor,
    // the setup assistant when a permission is missing, the observers, the updater, the hotkeys.
    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    void applicationDidBecomeActive();

    HotKeyManager& hotKeys() { return m_hotKeys; }
    const StatusMenu& statusMenu() const { return m_statusMenu; }
    const QString& toolTip() const { return m_toolTip; }
    void rebuildStatusMenu();
    void refreshStatusItemPresentation();
    // Runs what a chosen status-menu item stands for.
    void perform(const StatusMenuItem& item);
    void setCaptureMode(const QString& rawMode);
    void setAgentPasteTarget(const QString& rawAgent);
    void updatePermissionStatus();

    void openSettings();
    // Opens the setup assistant, creating it when none exists; an open one comes to the front
    // at the page where it was left.
    void showOnboarding();
    // Ends the setup assistant and follows up on the permissions it left missing.
    void closeOnboarding();
    // The setup assistant while one exists.
    OnboardingCoordinator* onboarding() const;
    void showAboutPanel();
    void checkForUpdatesFromMenu();
    void openWebPage(const QString& path);
    // How to change settings where there is no menu to open the settings window from.
    QString settingsWhereabouts() const;

    static inline const QString onboardingCompletedKey = QStringLiteral("hasCompletedOnboardingV1");
    static inline const QString website = QStringLiteral("https://www.quendale.com");

    // Runs one capture and reports it through the status line, the toast and the privacy panes.
    // The outcome is also handed back (none when the area selection was cancelled) for callers
    // such as the command line that report it themselves.
    QCoro::Task<std::optional<CaptureOutcome>> performCopy(bool fromMenu, bool useRegion);

    static QString toastText(const CaptureOutcome& outcome, const UserDefaults& defaults,
                             const PlatformVocabulary& vocabulary);
    static QString statusFollowUp(const CaptureOutcome& outcome);
    void openSettingsIfPermissionDenied(const CaptureError& error, CaptureMode mode);
    void startMouseTracking();
    void openLatestBundle();

  Q_SIGNALS:
    void lastStatusChanged();
    void lastCaptureMouseLocationChanged();
    void statusMenuChanged();
    void toolTipChanged();
    // The views' part: the settings window, the About box, leaving the application.
    void settingsRequested();
    void aboutRequested();
    void quitRequested();
    // A window for this assistant is wanted; the view sets it as the coordinator's window.
    void onboardingRequested(vantrel::OnboardingViewModel* assistant);
    void onboardingClosed();

  private:
    void startCopy(bool fromMenu, bool useRegion);
    void rememberMouseLocation();
    bool isScreenRecordingGranted() const;
    void installObservers();
    void observe(const QString& notification, void (AppDelegate::*handler)());
    void onCaptureModeChanged();
    void onAgentPasteTargetChanged();
    void onPermissionsChanged();

    Dependencies m_deps;
    HotKeyManager m_hotKeys;
    StatusMenu m_statusMenu;
    QString m_toolTip;
    std::optional<MouseMonitor::Token> m_mouseMonitor;
    QPointF m_lastCaptureMouseLocation;
    QString m_lastStatus;
    QString m_lastStatusFollowUp;
    QPointer<OnboardingCoordinator> m_onboarding;
    QPointer<OnboardingViewModel> m_onboardingModel;
};

} // namespace vantrel
