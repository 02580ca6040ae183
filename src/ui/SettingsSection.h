#pragma once

#include <QColor>
#include <QList>
#include <QString>

namespace vantrel {

// The settings window's sidebar entries, in the order they are listed.
enum class SettingsSection { general, capture, agents, privacy };

struct SettingsSectionInfo {
    // Also the pane's heading.
    QString title;
    QString symbol;
    QColor tint;
    QString subtitle;
};

QList<SettingsSection> allSettingsSections();
SettingsSectionInfo settingsSectionInfo(SettingsSection section);

} // namespace vantrel
