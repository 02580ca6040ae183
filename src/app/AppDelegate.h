#pragma once

#include "CaptureRunner.h"
#include "input/HotKeyManager.h"
#include "input/PointerTracker.h"
#include "ui/SetupAssistantFlow.h"
#include "ui/StatusLine.h"
#include "ui/StatusMenuPresenter.h"

#include <QObject>

namespace vantrel {

class ClipCoordinator;
class Clock;
class NotificationCenter;
class PermissionFollowUp;
class RegionSelecting;
class SystemPermissionsService;
class ToastShowing;
class UserDefaults;
struct Platform;

// The tray app's pieces wired to each other, and their start-up and shutdown in order: the
// capture runner and its triggers (hotkeys, menu), the status menu, the setup assistant, the
// status line they all report on.
class AppDelegate final : public QObject {
    Q_OBJECT

  public:
    struct Dependencies {
        const Platform& platform;
        ClipCoordinator& coordinator;
        SystemPermissionsService& permissions;
        PermissionFollowUp& permissionFollowUp;
        UserDefaults& defaults;
        NotificationCenter& center;
        Clock& clock;
        RegionSelecting& regionSelection;
        ToastShowing& toast;
    };

    explicit AppDelegate(Dependencies dependencies, QObject* parent = nullptr);

    // Start-up, in order: pointer tracking, the status menu and tooltip, the permission monitor,
    // the setup assistant when a permission is missing, the observers, the updater, the hotkeys.
    void applicationDidFinishLaunching();
    // Hotkeys and the mouse monitor are released.
    void applicationWillTerminate();
    // Back from the system's settings: permissions are read again.
    void applicationDidBecomeActive();

    StatusLine& statusLine() { return m_statusLine; }
    PointerTracker& pointer() { return m_pointer; }
    CaptureRunner& runner() { return m_runner; }
    StatusMenuPresenter& statusMenu() { return m_statusMenu; }
    SetupAssistantFlow& setupAssistant() { return m_setupAssistant; }
    HotKeyManager& hotKeys() { return m_hotKeys; }

  private:
    Dependencies m_deps;
    StatusLine m_statusLine;
    PointerTracker m_pointer;
    CaptureRunner m_runner;
    StatusMenuPresenter m_statusMenu;
    SetupAssistantFlow m_setupAssistant;
    HotKeyManager m_hotKeys;
};

} // namespace vantrel
