#pragma once

#include "ClipCoordinator.h"
#include "PermissionFollowUp.h"
#include "UntouchedPasteboard.h"
#include "accessibility/AccessibilityCaptureService.h"
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

// The capture services and the pipeline over them, wired once for every front end: the tray app
// and the command line build this, and the MCP server's captures run through the command line.
// With leaveClipboard (an agent's capture) the user's clipboard stays as it was.
class CaptureServices final {
  public:
    CaptureServices(const Platform& platform, UserDefaults& defaults, NotificationCenter& center,
                    Clock& clock, bool leaveClipboard = false);

    const Platform& platform() const { return m_platform; }
    SystemPermissionsService& permissions() { return m_permissions; }
    ClipCoordinator& coordinator() { return m_coordinator; }
    PermissionFollowUp& permissionFollowUp() { return m_permissionFollowUp; }
    QString capturesRoot() const { return m_bundleWriter.capturesRoot(); }
    // The capture folder the pipeline wrote last.
    const std::optional<CaptureBundle>& lastBundle() const { return m_lastBundle; }

  private:
    // Notes the folder the pipeline wrote.
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
    PermissionFollowUp m_permissionFollowUp;
};

} // namespace vantrel
