#pragma once

// The delegate on a simulated desktop with Mail in front and both permissions granted, its
// capture services faked so each run's requests and results can be read back.
#include "CaptureFakes.h"
#include "app/AppDelegate.h"
#include "app/ClipCoordinator.h"
#include "input/RegionSelecting.h"
#include "input/ToastShowing.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/VirtualClock.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/SystemPermissionsService.h"

#include <gtest/gtest.h>

namespace vantrel::testing {

inline const char* const delegateSceneJson = R"({
  "screens": [{"frame": [0, 0, 1440, 900], "scale": 2, "number": 1}],
  "mouse": [300, 640],
  "permissions": {"accessibility": true, "screenRecording": true},
  "apps": [{"pid": 501, "name": "Mail", "bundleId": "com.example.mail"}],
  "frontmost": 501,
  "windows": []
})";

// Answers every drag with `answer`; none stands for a cancelled selection.
class ScriptedRegionSelection final : public RegionSelecting {
  public:
    std::optional<QRectF> answer = QRectF(100, 200, 40, 20);
    int calls = 0;

    QCoro::Task<std::optional<QRectF>> selectRegion() override {
        ++calls;
        const std::optional<QRectF> given = answer;
        co_return given;
    }
};

class RecordingToast final : public ToastShowing {
  public:
    QStringList shown;
    void show(const QString& text) override { shown.append(text); }
};

class AppDelegateFixture : public ::testing::Test {
  protected:
    QStringList openedURLs() const {
        QStringList urls;
        for (const QUrl& url : desktop.openedURLs())
            urls.append(url.toString());
        return urls;
    }

    SimDesktop desktop{SceneLoader::fromJson(delegateSceneJson)};
    Platform platform = desktop.platform();
    MemoryUserDefaults defaults;
    NotificationCenter center;
    VirtualClock clock;
    FakeAccessibilityCapture accessibility;
    FakeScreenCapture screen;
    FakeBundleWriter bundleWriter;
    FakePasteboardWriter pasteboard;
    ClipCoordinator coordinator{{accessibility, screen, bundleWriter, pasteboard, defaults}};
    ScriptedRegionSelection regionSelection;
    RecordingToast toast;
    SystemPermissionsService permissions{platform, center, clock};
    AppDelegate delegate{
        {platform, coordinator, defaults, center, clock, regionSelection, toast, permissions}};
};

} // namespace vantrel::testing
