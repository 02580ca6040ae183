#pragma once

#include "GivenRegionSelection.h"
#include "RecordingToast.h"
#include "UntouchedPasteboard.h"
#include "accessibility/AccessibilityCaptureService.h"
#include "app/AppDelegate.h"
#include "app/ClipCoordinator.h"
#include "output/CaptureBundleWriter.h"
#include "output/PasteboardWriter.h"
#include "platform/Platform.h"
#include "screen/ScreenCaptureService.h"
#include "screen/SystemPermissionsService.h"

#include <optional>

namespace vantrel {

class Clock;
class NotificationCenter;
class UserDefaults;

// What an agent's capture changes: its clipboard choice and how the area is chosen.
struct CaptureChoices {
    bool leaveClipboard = false;
    RegionSelecting* regionSelection = nullptr; // default: the given region
};

// Everything one capture needs, wired by hand as the app wires it: the services, the pipeline and
// the capture commands, on the given platform.
class CaptureSession final {
  public:
    CaptureSession(const Platform& platform, UserDefaults& defaults, NotificationCenter& center,
                   Clock& clock, std::optional<QRectF> region, CaptureChoices choices = {});

    AppDelegate& delegate() { return m_delegate; }
    const RecordingToast& toast() const { return m_toast; }
    const std::optional<CaptureBundle>& lastBundle() const { return m_lastBundle; }

  private:
    // Notes the folder the pipeline wrote, for the report.
    class BundleRecorder final : public BundleWriting {
      public:
        BundleRecorder(BundleWriting& writer, std::optional<CaptureBundle>& last)
            : m_writer(writer), m_last(last) {}
        QCoro::Task<CaptureBundle>
        write(const CapturedAccessibility& accessibility,
              const std::optional<QFuture<QByteArray>>& screenshotPng) override {
            const CaptureBundle bundle = co_await m_writer.write(accessibility, screenshotPng);
            m_last = bundle;
            co_return bundle;
        }

      private:
        BundleWriting& m_writer;
        std::optional<CaptureBundle>& m_last;
    };

    Platform m_platform;
    SystemPermissionsService m_permissions;
    AccessibilityCaptureService m_accessibilityCapture;
    ScreenCaptureService m_screenCapture;
    CaptureBundleWriter m_bundleWriter;
    std::optional<CaptureBundle> m_lastBundle;
    BundleRecorder m_bundleRecorder;
    PasteboardWriter m_pasteboardWriter;
    UntouchedPasteboard m_untouchedPasteboard;
    ClipCoordinator m_coordinator;
    GivenRegionSelection m_regionSelection;
    RecordingToast m_toast;
    AppDelegate m_delegate;
};

} // namespace vantrel
