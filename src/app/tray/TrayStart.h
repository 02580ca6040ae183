#pragma once

#include "app/cli/CaptureCommand.h"
#include "platform/NotificationCenter.h"
#include "platform/SettingsUserDefaults.h"

#include <QString>
#include <QTextStream>

class QApplication;

namespace vantrel {

class CompositorHelper;
class RegionSelecting;
class SingleInstance;
class Updater;
struct Platform;

// The tray app from its start to its quit: the backend the session calls for, the single
// instance, then the X11 or the GNOME desktop, each also taking the captures an agent's command
// hands the running app (`vantrel capture --via-app`).
class TrayStart final {
  public:
    // version and build are the executable's; returns the app's exit code.
    static int run(int argc, char** argv, const QString& version, const QString& build);

  private:
    TrayStart(QApplication& app, SingleInstance& instance, QString version, QString build);

    int runOnX11(const QString& gnomeNotice);
    int runOnGnome();
    // From the settings to the event loop. With a shell (GNOME on Wayland) the menu and the
    // toast are the shell's.
    int runTray(const Platform& desktopPlatform, RegionSelecting& regionSelection,
                CompositorHelper* shell, const QString& desktopNotice);
    template <class Desktop> void takeAgentCaptures(Desktop& desktop);
    // The desktop's services, with our updater and what this build says about itself.
    Platform forTheApp(const Platform& platform, Updater& updater) const;

    QApplication& m_app;
    SingleInstance& m_instance;
    const QString m_version;
    const QString m_build;
    SettingsUserDefaults m_defaults;
    NotificationCenter m_center;
    CaptureCommand m_agentCaptures{m_defaults, m_center};
    QTextStream m_err{stderr};
};

} // namespace vantrel
