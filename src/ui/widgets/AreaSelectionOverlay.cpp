#include "AreaSelectionOverlay.h"

#include "RegionSelectionWindow.h"
#include "ScreenGeometry.h"
#include "platform/ScreenCapturePlatform.h"
#include "screen/CaptureCoordinates.h"

#include <cmath>

namespace vantrel {

AreaSelectionOverlay::AreaSelectionOverlay(const ScreenList& screens,
                                           ScreenCapturePlatform& screenCapture, Backdrop backdrop)
    : m_screens(screens), m_screenCapture(screenCapture), m_backdrop(backdrop),
      m_controller(screens, *this) {}

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
    window->setGeometry(
        ScreenGeometry::toQtGlobal(CaptureCoordinates::topLeftRect(m_screens, screen.frame)));
    window->show();
    window->raise();
    window->requestActivate();
    window->takeKeyboard();
    m_windows.append(window);
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
