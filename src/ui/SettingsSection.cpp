#include "SettingsSection.h"

namespace vantrel {

QList<SettingsSection> allSettingsSections() {
    return {SettingsSection::general, SettingsSection::capture, SettingsSection::agents,
            SettingsSection::privacy};
}

SettingsSectionInfo settingsSectionInfo(SettingsSection section) {
    // The tints read like the system's gray, blue, purple and teal on a light background.
    switch (section) {
    case SettingsSection::general:
        return {QStringLiteral("General"), QStringLiteral("gearshape"), QColor(0x8e8e93),
                QStringLiteral("Hotkeys and what Vantrel reports after each capture.")};
    case SettingsSection::capture:
        return {QStringLiteral("Capture"), QStringLiteral("camera.viewfinder"), QColor(0x007aff),
                QStringLiteral("What a capture contains and which file lands on disk.")};
    case SettingsSection::agents:
        return {QStringLiteral("Agents"), QStringLiteral("sparkles"), QColor(0xaf52de),
                QStringLiteral("Which agent the paste is prepared for.")};
    case SettingsSection::privacy:
        return {QStringLiteral("Privacy"), QStringLiteral("lock.shield"), QColor(0x30b0c7),
                QStringLiteral("System access and where captures are stored.")};
    }
    Q_UNREACHABLE();
}

} // namespace vantrel
