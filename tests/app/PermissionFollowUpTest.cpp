// Which privacy pane a failed capture opens, by its error, its mode and the permissions now.
#include "app/PermissionFollowUp.h"
#include "platform/NotificationCenter.h"
#include "platform/VirtualClock.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/SystemPermissionsService.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

const char* const followUpSceneJson = R"({"screens": [{"frame": [0, 0, 1440, 900]}],
    "permissions": {"accessibility": true, "screenRecording": true}})";

const QString followUpPrivacy =
    "x-apple.systempreferences:com.apple.settings.PrivacySecurity.extension";

} // namespace

TEST(PermissionFollowUp, OpensThePaneOfWhatIsMissing) {
    const QString axPane = followUpPrivacy + "?Privacy_Accessibility";
    const QString screenPane = followUpPrivacy + "?Privacy_ScreenCapture";
    const auto words = PlatformVocabulary::macOS();
    const CaptureError axDenied = AccessibilityCaptureError::permissionDenied("V", words);
    const CaptureError screenDenied = ScreenCaptureError::permissionDenied("V", words);
    const CaptureError other = ScreenCaptureError::captureFailed();
    using enum CaptureMode;
    const struct {
        const char* name;
        CaptureError error;
        CaptureMode mode;
        bool trusted;
        bool monitorSawScreen; // what the monitor last saw
        bool preflight;        // what the platform answers now
        QStringList opened;
    } cases[] = {
        {"accessibility denied", axDenied, screenshot, true, true, true, {axPane}},
        {"screen recording denied", screenDenied, tree, true, true, true, {screenPane}},
        {"tree, untrusted", other, tree, false, true, true, {axPane}},
        {"tree, trusted", other, tree, true, false, false, {}},
        {"bundle, untrusted", other, bundle, false, false, false, {axPane}},
        {"bundle, trusted, recording granted", other, bundle, true, true, true, {}},
        {"bundle, trusted, preflight passes", other, bundle, true, false, true, {}},
        {"bundle, trusted, recording missing", other, bundle, true, false, false, {screenPane}},
        {"screenshot, untrusted, missing", other, screenshot, false, false, false, {screenPane}},
        {"screenshot, recording granted", other, screenshot, false, true, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimDesktop desktop(SceneLoader::fromJson(followUpSceneJson));
        const Platform platform = desktop.platform();
        NotificationCenter center;
        VirtualClock clock;
        SystemPermissionsService permissions(platform, center, clock);
        PermissionFollowUp followUp(permissions, platform.accessibility, platform.screenCapture);
        desktop.setScreenRecordingGranted(c.monitorSawScreen);
        permissions.startMonitoring(); // the first poll runs at once
        desktop.setScreenRecordingGranted(c.preflight);
        desktop.setAccessibilityTrusted(c.trusted);
        followUp.afterFailure(c.error, c.mode);
        QStringList opened;
        for (const QUrl& url : desktop.openedURLs())
            opened.append(url.toString());
        EXPECT_EQ(opened, c.opened);
    }
}
