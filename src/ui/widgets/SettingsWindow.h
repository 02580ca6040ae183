#pragma once

#include "ui/SettingsSection.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;

namespace vantrel {

class PermissionControl;
class SettingsRow;
class SettingsViewModel;

// The settings window: a sidebar of sections and the chosen section's rows. It shows the model
// and forwards every choice to it; closing only hides it, so one window serves the whole run.
class SettingsWindow final : public QWidget {
    Q_OBJECT

  public:
    explicit SettingsWindow(SettingsViewModel& model, QWidget* parent = nullptr);

    // Reads the settings again and brings the window to the front.
    void present();

  private:
    QWidget* page(SettingsSection section, QVBoxLayout*& content);
    void buildGeneral();
    void buildCapture();
    void buildAgents();
    void buildPrivacy();
    QWidget* formatGuide();
    SettingsRow* addRow(QVBoxLayout& content, const QString& title, QWidget* control);
    void showModel();

    SettingsViewModel& m_model;
    bool m_centred = false;
    QListWidget* m_sidebar;
    QStackedWidget* m_pages;
    SettingsRow* m_launchRow = nullptr;
    QCheckBox* m_launchSwitch = nullptr;
    QLabel* m_lastAction = nullptr;
    SettingsRow* m_modeRow = nullptr;
    QComboBox* m_modePicker = nullptr;
    SettingsRow* m_bundleRow = nullptr;
    QComboBox* m_bundlePicker = nullptr;
    SettingsRow* m_agentRow = nullptr;
    QComboBox* m_agentPicker = nullptr;
    QToolButton* m_advancedToggle = nullptr;
    QWidget* m_advanced = nullptr;
    SettingsRow* m_pasteboardRow = nullptr;
    QComboBox* m_pasteboardPicker = nullptr;
    SettingsRow* m_accessibilityRow = nullptr;
    PermissionControl* m_accessibilityControl = nullptr;
    SettingsRow* m_screenRecordingRow = nullptr;
    PermissionControl* m_screenRecordingControl = nullptr;
};

} // namespace vantrel
