#include "SystemPermissionsService.h"

#include "platform/AccessibilityPlatform.h"
#include "platform/Clock.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/PlatformError.h"
#include "platform/ScreenCapturePlatform.h"
#include "platform/Workspace.h"

#include <QUrl>

namespace vantrel {

using namespace std::chrono_literals;

SystemPermissionsService::SystemPermissionsService(const Platform& platform,
                                                   NotificationCenter& center, Clock& clock)
    : m_platform(platform), m_center(center), m_clock(clock) {}

SystemPermissionsService::~SystemPermissionsService() {
    m_stopMonitoring.request_stop();
}

QString SystemPermissionsService::appName() const {
    // An empty name would start the messages with a bare space.
    const auto& name = m_platform.identity.bundleName;
    return name && !name->isEmpty() ? *name : QStringLiteral("This app");
}

void SystemPermissionsService::startMonitoring() {
    if (m_monitoring)
        return;
    m_monitoring = true;
    monitorLoop(m_stopMonitoring.get_token()); // runs on by itself; nothing awaits it
}

// Touches no member once stopped: the service is gone by then.
QCoro::Task<> SystemPermissionsService::monitorLoop(std::stop_token stop) {
    while (!stop.stop_requested()) {
        const bool accessibility = m_platform.accessibility.isProcessTrusted();
        const bool screenRecording = co_await screenRecordingGranted();
        if (stop.stop_requested())
            co_return;
        const State observed{accessibility, screenRecording};
        if (observed != m_state) {
            m_state = observed;
            m_center.post(didChangeNotification);
        }
        const auto interval = m_state.accessibility && m_state.screenRecording ? 3s : 1s;
        co_await m_clock.sleep(interval, stop);
    }
}

QCoro::Task<bool> SystemPermissionsService::screenRecordingGranted() {
    if (!m_didRequestScreenRecording)
        co_return m_platform.screenCapture.preflightScreenCaptureAccess();
    // Once asked, the preflight answer goes stale until relaunch; a live query tells the truth.
    try {
        co_await m_platform.screenCapture.shareableContent(false, false);
        co_return true;
    } catch (const PlatformError&) {
        co_return false;
    }
}

void SystemPermissionsService::requestAccessibilityIfNeeded() {
    if (m_platform.accessibility.isProcessTrusted() || m_hasPromptedAccessibilityThisSession)
        return;
    m_hasPromptedAccessibilityThisSession = true;
    m_platform.accessibility.promptForTrust();
}

void SystemPermissionsService::requestAccessibility() {
    if (!m_platform.accessibility.isProcessTrusted())
        m_platform.accessibility.promptForTrust();
}

bool SystemPermissionsService::requestScreenRecordingIfNeeded() {
    const bool granted = m_platform.screenCapture.preflightScreenCaptureAccess();
    if (granted || m_hasPromptedScreenRecordingThisSession)
        return granted;
    m_hasPromptedScreenRecordingThisSession = true;
    m_didRequestScreenRecording = true;
    return m_platform.screenCapture.requestScreenCaptureAccess();
}

void SystemPermissionsService::openAccessibilitySettings() {
    openPrivacySettings(QStringLiteral("Accessibility"));
}

void SystemPermissionsService::openScreenRecordingSettings() {
    m_didRequestScreenRecording = true;
    openPrivacySettings(QStringLiteral("ScreenCapture"));
}

void SystemPermissionsService::resetPromptFlags() {
    if (m_state.screenRecording || m_platform.screenCapture.preflightScreenCaptureAccess())
        m_hasPromptedScreenRecordingThisSession = false;
    if (m_platform.accessibility.isProcessTrusted())
        m_hasPromptedAccessibilityThisSession = false;
}

void SystemPermissionsService::openPrivacySettings(const QString& anchor) {
    const QUrl url(privacyURLPrefix + anchor, QUrl::StrictMode);
    if (!url.isValid())
        return;
    m_platform.workspace.openURL(url);
}

} // namespace vantrel
