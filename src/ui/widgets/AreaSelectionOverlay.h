#pragma once

#include "input/OverlayDesktop.h"
#include "input/RegionSelecting.h"
#include "input/RegionSelectionController.h"
#include "input/RegionSelectionSurfaces.h"

#include <QHash>
#include <QImage>
#include <QPoint>
#include <QPointer>

#include <functional>
#include <memory>

namespace vantrel {

class RegionSelectionWindow;
class ScreenCapturePlatform;
class ScreenList;
struct Platform;

// The drag overlay behind the area command, one window per screen. Where windows cannot be
// translucent (X11 without a compositor) or should not be (Wayland, where the compositor helper
// pictures each monitor) it freezes each screen first and dims the picture.
class AreaSelectionOverlay final : public RegionSelecting, private RegionSelectionSurfaces {
  public:
    enum class Backdrop { Translucent, FrozenScreens };

    // Tells where the core's origin lies in the compositor's logical pixels now.
    using OutputsOrigin = std::function<QPoint()>;

    // outputsOrigin, given on Wayland and asked at each selection (monitors come and go): each
    // window goes full screen on its output, since Wayland lets no client place a window; without
    // it each window is placed on its screen's rectangle.
    AreaSelectionOverlay(const ScreenList& screens, ScreenCapturePlatform& screenCapture,
                         Backdrop backdrop, OutputsOrigin outputsOrigin = {});
    ~AreaSelectionOverlay() override;
    // The overlay an agent's request shows, on the desktop a run opened: the tray app's and the
    // command line's alike.
    static std::unique_ptr<RegionSelecting> forRequest(const Platform& platform,
                                                       const OverlayDesktop& desktop,
                                                       const RegionSelectionRequest& request);

    QCoro::Task<std::optional<QRectF>> selectRegion() override;
    void cancel() override;
    // A prompt shown with the hint, and click-to-pick, for the selections that follow.
    void setRequest(RegionSelectionRequest request) { m_controller.setRequest(std::move(request)); }

  private:
    QCoro::Task<> freezeScreens();
    void presentPanel(std::shared_ptr<RegionSelectionView> view, const ScreenInfo& screen) override;
    void removePanels() override;
    void showOnOutput(RegionSelectionWindow& window, const QRectF& topLeftScreen,
                      QPoint coreOrigin) const;

    const ScreenList& m_screens;
    ScreenCapturePlatform& m_screenCapture;
    Backdrop m_backdrop;
    OutputsOrigin m_outputsOrigin;
    RegionSelectionController m_controller;
    QHash<quint32, QImage> m_frozenScreens;
    QList<QPointer<RegionSelectionWindow>> m_windows;
    quint64 m_latestRequest = 0;
};

} // namespace vantrel
