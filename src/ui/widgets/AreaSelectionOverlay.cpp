#include "AreaSelectionOverlay.h"

#include "RegionSelectionWindow.h"
#include "ScreenGeometry.h"
#include "platform/Platform.h"
#include "platform/ScreenCapturePlatform.h"
#include "screen/CaptureCoordinates.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace vantrel {

AreaSelectionOverlay::AreaSelectionOverlay(const ScreenList& screens,
                                           ScreenCapturePlatform& screenCapture, Backdrop backdrop,
                                           OutputsOrigin outputsOrigin)
    : m_screens(screens), m_screenCapture(screenCapture), m_backdrop(backdrop),
      m_outputsOrigin(std::move(outputsOrigin)), m_controller(screens, *this) {}

std::unique_ptr<RegionSelecting>
AreaSelectionOverlay::forRequest(const Platform& platform, const OverlayDesktop& desktop,
                                 const RegionSelectionRequest& request) {
    auto overlay = std::make_unique<AreaSelectionOverlay>(
        platform.screens, platform.screenCapture,
        desktop.translucentWindows ? Backdrop::Translucent : Backdrop::FrozenScreens,
        desktop.outputsOrigin);
    overlay->setRequest(request);
    return overlay;
}

AreaSelectionOverlay::~AreaSelectionOverlay() {
    m_controller.cancel();
}

QCoro::Task<std::optional<QRectF>> AreaSelectionOverlay::selectRegion() {
    const quint64 request = ++m_latestRequest;
    // A newer request ends this one at once, even while its screens are still being frozen.
    m_controller.cancel();
    if (m_backdrop == Backdrop::FrozenScreens) {
        co_await freezeScreens();
        if (request != m_latestRequest) {
            const std::optional<QRectF> none;
            co_return none;
        }
    }
    const std::optional<QRectF> selection = co_await m_controller.selectRegion();
    if (request == m_latestRequest)
        m_frozenScreens.clear();
    co_return selection;
}

void AreaSelectionOverlay::cancel() {
    // Also ends a selection whose screens are still being frozen.
    ++m_latestRequest;
    m_controller.cancel();
}

// A screen that cannot be pictured is shown translucent instead: the drag still works, and the
// capture that follows reports the real error.
QCoro::Task<> AreaSelectionOverlay::freezeScreens() {
    m_frozenScreens.clear();
    const QList<ScreenInfo> screens = m_screens.screens();
    for (const ScreenInfo& screen : screens) {
        if (!screen.number)
            continue;
        const DisplayFilter display{*screen.number, {}};
        const ContentFilter filter = display;
        StreamConfiguration configuration;
        configuration.width =
            static_cast<int>(std::lround(screen.frame.width() * screen.backingScale));
        configuration.height =
            static_cast<int>(std::lround(screen.frame.height() * screen.backingScale));
        try {
            const QImage picture = co_await m_screenCapture.captureImage(filter, configuration);
            m_frozenScreens.insert(*screen.number, picture);
        } catch (...) {
            // Nothing may escape a coroutine; this screen goes without a picture.
        }
    }
}

void AreaSelectionOverlay::presentPanel(std::shared_ptr<RegionSelectionView> view,
                                        const ScreenInfo& screen) {
    const QImage frozen = screen.number ? m_frozenScreens.value(*screen.number) : QImage();
    auto* window = new RegionSelectionWindow(
        std::move(view), frozen, [this](int key) { return m_controller.handleKey(key); });
    const QRectF topLeftScreen = CaptureCoordinates::topLeftRect(m_screens, screen.frame);
    if (m_outputsOrigin) {
        showOnOutput(*window, topLeftScreen, m_outputsOrigin());
    } else {
        window->setGeometry(ScreenGeometry::toQtGlobal(topLeftScreen));
        window->show();
    }
    window->raise();
    window->requestActivate();
    window->takeKeyboard();
    m_windows.append(window);
}

// An output that disagrees with the helper's monitor still gets a window, on Qt's primary output:
// without one the user could not even cancel there.
void AreaSelectionOverlay::showOnOutput(RegionSelectionWindow& window, const QRectF& topLeftScreen,
                                        QPoint coreOrigin) const {
    const QList<QScreen*> outputs = QGuiApplication::screens();
    QList<QRect> rectangles;
    for (const QScreen* output : outputs)
        rectangles.append(output->geometry());
    const std::optional<qsizetype> index =
        ScreenGeometry::outputShowing(topLeftScreen, coreOrigin, rectangles);
    QScreen* output = index ? outputs[*index] : QGuiApplication::primaryScreen();
    if (!index)
        qWarning("vantrel: no output of this Wayland session shows the monitor at %d,%d %dx%d",
                 topLeftScreen.toAlignedRect().x(), topLeftScreen.toAlignedRect().y(),
                 topLeftScreen.toAlignedRect().width(), topLeftScreen.toAlignedRect().height());
    if (output) {
        window.setScreen(output);
        window.setGeometry(output->geometry());
    }
    window.showFullScreen();
}

void AreaSelectionOverlay::removePanels() {
    for (const QPointer<RegionSelectionWindow>& window : std::as_const(m_windows)) {
        if (!window)
            continue;
        window->setKeyboardGrabEnabled(false);
        window->hide();
        // Later: this may run inside one of the window's own mouse handlers.
        window->deleteLater();
    }
    m_windows.clear();
}

} // namespace vantrel
