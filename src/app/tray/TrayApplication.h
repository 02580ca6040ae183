#pragma once

#include "app/AppDelegate.h"
#include "app/CaptureServices.h"
#include "app/tray/ShellStatusMenu.h"
#include "app/tray/ShellToast.h"
#include "input/CopyToast.h"
#include "platform/Platform.h"
#include "ui/SettingsViewModel.h"
#include "ui/widgets/AppWindows.h"
#include "ui/widgets/DialogPresenter.h"
#include "ui/widgets/SettingsWindow.h"
#include "ui/widgets/ToastWindow.h"
#include "ui/widgets/TrayIcon.h"

#include <QStringList>

#include <memory>

namespace vantrel {

class Clock;
class CompositorHelper;
class NotificationCenter;
class RegionSelecting;
class UserDefaults;

// The tray app wired by hand: the capture services, the delegate and the views, all living as
// long as the process, on whatever platform it is given. With a desktop shell to show them
// (GNOME on Wayland) the status menu and the toast are the shell's instead of a tray icon and a
// window of ours.
class TrayApplication final {
  public:
    TrayApplication(const Platform& platform, UserDefaults& defaults, NotificationCenter& center,
                    Clock& clock, RegionSelecting& regionSelection,
                    CompositorHelper* shell = nullptr);
    ~TrayApplication();

    // Starts the delegate and shows the tray; returns what the user must be told once, such as
    // a shortcut held by another program or a desktop without a tray. A desktopNotice (GNOME's
    // extension missing) is shown in a message too.
    QStringList start(const QString& desktopNotice = {});
    void shutdown();
    // Made on first use: its state is read when it is created, and refreshed on every showing.
    void showSettings();

    AppDelegate& delegate() { return m_delegate; }
    CopyToast& toast() { return m_toast; }
    ToastWindow& toastWindow() { return m_toastWindow; }
    DialogPresenter& dialogs() { return m_dialogs; }
    AppWindows& windows() { return m_windows; }
    // None until settings were first asked for.
    SettingsWindow* settingsWindow() const { return m_settingsWindow.get(); }
    // None on a desktop without a tray.
    TrayIcon* trayIcon() const { return m_trayIcon.get(); }
    // None without a desktop shell to show the menu.
    ShellStatusMenu* shellStatusMenu() const { return m_shellMenu.get(); }

  private:
    // How to change settings where there is no menu to open the settings window from.
    QString settingsWhereabouts() const;
    QStringList hotKeyNotices();
    QString trayMissingNotice() const;

    UserDefaults& m_defaults;
    NotificationCenter& m_center;
    CaptureServices m_services;
    ToastWindow m_toastWindow;
    CopyToast m_toast;
    CompositorHelper* m_shell;
    std::unique_ptr<ShellToast> m_shellToast;
    AppDelegate m_delegate;
    DialogPresenter m_dialogs;
    AppWindows m_windows;
    std::unique_ptr<SettingsViewModel> m_settings;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<TrayIcon> m_trayIcon;
    std::unique_ptr<ShellStatusMenu> m_shellMenu;
};

} // namespace vantrel
