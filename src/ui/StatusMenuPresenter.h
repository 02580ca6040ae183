#pragma once

#include "StatusMenu.h"

#include <QObject>
#include <QString>

namespace vantrel {

class AccessibilityPlatform;
class NotificationCenter;
class ScreenCapturePlatform;
class StatusLine;
class SystemPermissionsService;
class Updater;
class UserDefaults;
class Workspace;
struct PlatformVocabulary;

// The status menu and the tooltip as data, kept current with the settings and the permissions;
// runs a chosen item: mode and agent choices, links, the latest bundle and updates itself, the
// rest (captures, windows, quitting) by asking for it through a signal.
class StatusMenuPresenter final : public QObject {
    Q_OBJECT

  public:
    struct Dependencies {
        UserDefaults& defaults;
        NotificationCenter& center;
        SystemPermissionsService& permissions;
        const AccessibilityPlatform& accessibility;
        const ScreenCapturePlatform& screenCapture;
        Workspace& workspace;
        Updater& updater;
        StatusLine& statusLine;
        const PlatformVocabulary& vocabulary;
    };

    explicit StatusMenuPresenter(Dependencies dependencies, QObject* parent = nullptr);

    const StatusMenu& statusMenu() const { return m_statusMenu; }
    const QString& toolTip() const { return m_toolTip; }
    void rebuildStatusMenu();
    void refreshToolTip();
    // From now on the stores' and the permission monitor's notifications keep menu, tooltip and
    // permission line current.
    void installObservers();

    // Runs what a chosen status-menu item stands for.
    void perform(const StatusMenuItem& item);
    void setCaptureMode(const QString& rawMode);
    void setAgentPasteTarget(const QString& rawAgent);
    // The permission status line, and the menu's warnings with it.
    void updatePermissionStatus();
    void showPermissionsChanged();
    bool permissionsGranted() const;
    void openLatestBundle();
    void openWebPage(const QString& path);

  Q_SIGNALS:
    void statusMenuChanged();
    void toolTipChanged();
    void copyNowRequested();
    void copyRegionRequested();
    void setupAssistantRequested();
    void settingsRequested();
    void aboutRequested();
    void quitRequested();

  private:
    bool isScreenRecordingGranted() const;
    void observe(const QString& notification, void (StatusMenuPresenter::*handler)());
    void showSettingChanged();

    Dependencies m_deps;
    StatusMenu m_statusMenu;
    QString m_toolTip;
};

} // namespace vantrel
