#pragma once

#include "CaptureOptions.h"
#include "CaptureReport.h"
#include "input/OverlayDesktop.h"
#include "input/RegionSelectionView.h"

#include <QTextStream>

#include <QCoro/QCoroTask>

#include <functional>
#include <memory>
#include <stop_token>

namespace vantrel {

class LinuxDesktop;
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
    // Runs a capture another process handed to the running app, on the app's desktop (X11's or
    // GNOME's); answers with what that process prints and its exit code. The capture's overlay
    // closes when the asker is gone.
    template <class Desktop>
    QCoro::Task<QByteArray> answerForApp(Desktop& desktop, QStringList arguments,
                                         std::stop_token askerGone);
    // The report of the last run that got as far as capturing.
    const std::optional<CaptureReport>& lastReport() const { return m_lastReport; }
    // Builds the overlay --ask shows, on the desktop the run opened; without it, --ask fails.
    using OverlayFactory = std::function<std::unique_ptr<RegionSelecting>(
        const Platform& platform, const OverlayDesktop& desktop,
        const RegionSelectionRequest& request)>;
    void setOverlayFactory(OverlayFactory factory) { m_overlayFactory = std::move(factory); }

  private:
    int runOnScene(const QString& scenePath, const CaptureOptions& options, QTextStream& out,
                   QTextStream& err);
    int runOnDesktop(const CaptureOptions& options, QTextStream& out, QTextStream& err);
    // GNOME on Wayland, through its extension.
    int runOnGnome(WaylandDesktop& desktop, const CaptureOptions& options, QTextStream& out,
                   QTextStream& err);
    // GNOME on Wayland without the extension, through the Screenshot portal.
    int runOnPortal(const CaptureOptions& options, QTextStream& out, QTextStream& err);
    // The exit code when the running app took the capture.
    std::optional<int> handToApp(const CaptureOptions& options, QTextStream& out, QTextStream& err);
    template <class Desktop>
    QCoro::Task<int> runInApp(Desktop& desktop, const QStringList& arguments,
                              std::stop_token askerGone, QTextStream& out, QTextStream& err);
    template <class Desktop>
    QCoro::Task<CaptureReport> capture(Desktop& desktop, const CaptureOptions& options,
                                       RegionSelecting* overlay = nullptr);
    int report(const CaptureReport& report, const CaptureOptions& options,
               const std::optional<QString>& clipboardError, QTextStream& out, QTextStream& err);

    UserDefaults& m_defaults;
    NotificationCenter& m_center;
    std::optional<CaptureReport> m_lastReport;
    OverlayFactory m_overlayFactory;
};

} // namespace vantrel
