#pragma once

#include <QString>

namespace vantrel {

// The phrases of user-facing texts that name a platform's keys and places. The texts are built from
// these, so every backend speaks its own desktop's words and everything else stays fixed.
struct PlatformVocabulary {
    QString copyHotKey;                // "⌃⌥C"
    QString regionHotKey;              // "⌃⌥R"
    QString pasteKey;                  // "⌘V"
    QString accessibilitySettingsPath; // "System Settings → Privacy & Security → Accessibility"
    QString screenRecordingSettingsPath;
    QString accessibilitySnapshotName; // "macOS accessibility snapshot"
    QString startsAtLogin;             // "starts with macOS"
    QString loginItemsSettingsPath;    // "System Settings › General › Login Items"
    // The setup assistant's words for the system's side of a permission.
    QString permissionsAheadNote;  // "macOS will ask for two permissions next."
    QString accessibilitySteps;    // what to do beyond the prompt; empty where nothing is
    QString screenRecordingReason; // "macOS asks for Screen Recording to let Vantrel take it."
    QString waitingForSettings;    // "Waiting for you to allow it in System Settings…"
    QString openSystemSettings;    // "Open System Settings"

    static PlatformVocabulary macOS();
};

inline PlatformVocabulary PlatformVocabulary::macOS() {
    return {
        QStringLiteral("⌃⌥C"),
        QStringLiteral("⌃⌥R"),
        QStringLiteral("⌘V"),
        QStringLiteral("System Settings → Privacy & Security → Accessibility"),
        QStringLiteral("System Settings → Privacy & Security → Screen Recording"),
        QStringLiteral("macOS accessibility snapshot"),
        QStringLiteral("starts with macOS"),
        QStringLiteral("System Settings › General › Login Items"),
        QStringLiteral("macOS will ask for two permissions next."),
        QString(),
        QStringLiteral("macOS asks for Screen Recording to let Vantrel take it."),
        QStringLiteral("Waiting for you to allow it in System Settings…"),
        QStringLiteral("Open System Settings"),
    };
}

} // namespace vantrel
