#pragma once

#include "CaptureOptions.h"
#include "CaptureReport.h"
#include "input/RegionSelectionView.h"

#include <QTextStream>

#include <functional>
#include <memory>

namespace vantrel {

class NotificationCenter;
class RegionSelecting;
class WaylandDesktop;
struct Platform;
using RegionSelectionRequest = RegionSelectionView::Request;
class UserDefaults;

// `vantrel capture`: one capture, run exactly as a trigger of the app runs it, reported on the
// terminal. Exit code 0 on success, 1 on a failed capture, 2 on bad input.
class CaptureCommand final {
  public:
    CaptureCommand(UserDefaults& defaults, NotificationCenter& center);

    int run(const CaptureOptions& options, QTextStream& out, QTextStream& err);
    // The report of the last run that got as far as capturing.
    const std::optional<CaptureReport>& lastReport() const { return m_lastReport; }
    // Builds the overlay --ask shows, on the desktop the run opened; without it, --ask fails.
    using OverlayFactory = std::function<std::unique_ptr<RegionSelecting>(
        const Platform& platform, bool hasCompositor, const RegionSelectionRequest& request)>;
    void setOverlayFactory(OverlayFactory factory) { m_overlayFactory = std::move(factory); }

  private:
    int runOnScene(const QString& scenePath, const CaptureOptions& options, QTextStream& out,
                   QTextStream& err);
    int runOnDesktop(const CaptureOptions& options, QTextStream& out, QTextStream& err);
    // GNOME on Wayland, through its extension.
    int runOnGnome(WaylandDesktop& desktop, const CaptureOptions& options, QTextStream& out,
                   QTextStream& err);
    template <class Desktop>
    CaptureReport capture(Desktop& desktop, const CaptureOptions& options,
                          RegionSelecting* overlay = nullptr);
    int report(const CaptureReport& report, const CaptureOptions& options,
               const std::optional<QString>& clipboardError, QTextStream& out, QTextStream& err);

    UserDefaults& m_defaults;
    NotificationCenter& m_center;
    std::optional<CaptureReport> m_lastReport;
    OverlayFactory m_overlayFactory;
};

} // namespace vantrel
