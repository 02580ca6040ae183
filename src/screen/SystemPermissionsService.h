#pragma once

#include "platform/Platform.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <stop_token>

namespace vantrel {

class Clock;
class NotificationCenter;

// The one process-wide answer for the Accessibility and Screen Recording permissions, refreshed
// by polling and announced on every change. Asks the system for each permission at most once per
// run and opens the matching privacy pane.
class SystemPermissionsService final {
  public:
    struct State {
        bool accessibility = false;
        bool screenRecording = false;
        friend bool operator==(const State&, const State&) = default;
    };

    static inline const QString didChangeNotification =
        QStringLiteral("VantrelPermissionsDidChange");
    static inline const QString privacyURLPrefix = QStringLiteral(
        "x-apple.systempreferences:com.apple.settings.PrivacySecurity.extension?Privacy_");

    SystemPermissionsService(const Platform& platform, NotificationCenter& center, Clock& clock);
    ~SystemPermissionsService();

    const State& state() const { return m_state; }
    // Starts the permission-denied messages.
    QString appName() const;
    bool didRequestScreenRecording() const { return m_didRequestScreenRecording; }

    void startMonitoring();
    void requestAccessibilityIfNeeded();
    void requestAccessibility();
    bool requestScreenRecordingIfNeeded();
    void openAccessibilitySettings();
    void openScreenRecordingSettings();
    // Called whenever the application becomes active.
    void resetPromptFlags();

  private:
    QCoro::Task<> monitorLoop(std::stop_token stop);
    QCoro::Task<bool> screenRecordingGranted();
    void openPrivacySettings(const QString& anchor);

    // A copy: a Platform holds only references, and a caller's temporary must not dangle.
    const Platform m_platform;
    NotificationCenter& m_center;
    Clock& m_clock;
    State m_state;
    bool m_hasPromptedAccessibilityThisSession = false;
    bool m_hasPromptedScreenRecordingThisSession = false;
    bool m_didRequestScreenRecording = false;
    bool m_monitoring = false;
    // Ends the monitor when the service goes, even in the middle of a sleep.
    std::stop_source m_stopMonitoring;
};

} // namespace vantrel
