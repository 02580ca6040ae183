#pragma once

#include "LaunchAtLoginSwitch.h"
#include "SettingsSection.h"
#include "output/AgentPasteTarget.h"
#include "output/BundlePasteboardFormat.h"
#include "output/CaptureBundleFormat.h"
#include "output/CaptureMode.h"
#include "platform/NotificationCenter.h"
#include "platform/PlatformVocabulary.h"
#include "screen/SystemPermissionsService.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

namespace vantrel {

class LoginItemService;
class StatusLine;
class UserDefaults;
class Workspace;

// What the settings window shows and does. Every choice writes its store first and then the
// state; the stores' notifications keep the state current when something else changes them.
class SettingsViewModel final : public QObject {
    Q_OBJECT

  public:
    struct Dependencies {
        UserDefaults& defaults;
        NotificationCenter& center;
        SystemPermissionsService& permissions;
        LoginItemService& loginItem;
        Workspace& workspace;
        PlatformVocabulary vocabulary;
        // The "Last action".
        const StatusLine& statusLine;
        QString capturesRoot;
        // Either may be missing from the build; shown as an em dash then.
        std::optional<QString> version;
        std::optional<QString> build;
    };

    explicit SettingsViewModel(Dependencies dependencies, QObject* parent = nullptr);
    ~SettingsViewModel() override;

    SettingsSection selection() const { return m_selection; }
    CaptureMode activeMode() const { return m_activeMode; }
    AgentPasteTarget activeAgent() const { return m_activeAgent; }
    CaptureBundleFormat activeBundleFormat() const { return m_activeBundleFormat; }
    BundlePasteboardFormat activePasteboardFormat() const { return m_activePasteboardFormat; }
    const SystemPermissionsService::State& permissions() const { return m_permissions; }
    bool showAdvanced() const { return m_showAdvanced; }
    bool launchesAtLogin() const { return m_launchAtLogin.isOn(); }

    void setSelection(SettingsSection section);
    void setPrimaryMode(CaptureMode mode);
    void setAgentTarget(AgentPasteTarget target);
    void setBundleFormat(CaptureBundleFormat format);
    void setPasteboardFormat(BundlePasteboardFormat format);
    void setShowAdvanced(bool shown);
    void setLaunchAtLogin(bool wanted);
    void openAccessibilitySettings();
    void openScreenRecordingSettings();
    void openFormatGuide();
    // Reads every value again; for values that changed without a notification.
    void refresh();

    const PlatformVocabulary& vocabulary() const { return m_deps.vocabulary; }
    QString launchAtLoginNote() const { return m_launchAtLogin.note(); }
    QString versionLine() const;
    QUrl formatGuideURL() const;
    QString copyHotKeyNote() const;
    QString regionHotKeyNote() const;
    QString lastAction() const;
    QString captureModeNote() const;
    QString bundleFileNote() const;
    QString agentNote() const;
    QString pasteboardFormatNote() const;
    QString accessibilityNote() const;
    QString screenRecordingNote() const;
    QString capturesOnDiskText() const;

  Q_SIGNALS:
    // Any shown value or text may have changed.
    void changed();

  private:
    void observe(const QString& notification, void (SettingsViewModel::*handler)());
    void onPermissionsChanged();
    void onCaptureModeChanged();
    void onAgentChanged();
    void onBundleFormatChanged();
    void onPasteboardFormatChanged();

    Dependencies m_deps;
    LaunchAtLoginSwitch m_launchAtLogin;
    QList<NotificationCenter::Token> m_observers;
    SettingsSection m_selection = SettingsSection::general;
    CaptureMode m_activeMode;
    AgentPasteTarget m_activeAgent;
    CaptureBundleFormat m_activeBundleFormat;
    BundlePasteboardFormat m_activePasteboardFormat;
    SystemPermissionsService::State m_permissions;
    bool m_showAdvanced = false;
};

} // namespace vantrel
