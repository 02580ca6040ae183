#pragma once

#include "GivenRegionSelection.h"
#include "RecordingToast.h"
#include "app/CaptureRunner.h"
#include "app/CaptureServices.h"
#include "input/PointerTracker.h"
#include "platform/Platform.h"
#include "ui/StatusLine.h"

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

// Everything one capture needs on the given platform: the capture services as the app wires
// them, and the runner that reports on a status line and a toast the command line reads back.
class CaptureSession final {
  public:
    CaptureSession(const Platform& platform, UserDefaults& defaults, NotificationCenter& center,
                   Clock& clock, std::optional<QRectF> region, CaptureChoices choices = {});

    CaptureRunner& runner() { return m_runner; }
    const StatusLine& statusLine() const { return m_statusLine; }
    const PointerTracker& pointer() const { return m_pointer; }
    const RecordingToast& toast() const { return m_toast; }
    const std::optional<CaptureBundle>& lastBundle() const { return m_services.lastBundle(); }

  private:
    CaptureServices m_services;
    GivenRegionSelection m_regionSelection;
    RecordingToast m_toast;
    StatusLine m_statusLine{QString()};
    PointerTracker m_pointer;
    CaptureRunner m_runner;
};

} // namespace vantrel
