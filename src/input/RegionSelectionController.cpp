#include "RegionSelectionController.h"

#include "RegionSelectionSurfaces.h"
#include "RegionSelectionView.h"

#include <algorithm>

namespace vantrel {

struct RegionSelectionController::Pending {
    std::optional<QRectF> selection;
    bool finished = false;
    std::coroutine_handle<> waiter;
};

// Holds only a pointer: GCC 12 copies awaiters named in co_await.
struct RegionSelectionController::PendingAwaiter {
    Pending* pending;

    bool await_ready() const noexcept { return pending->finished; }
    void await_suspend(std::coroutine_handle<> handle) noexcept { pending->waiter = handle; }
    void await_resume() const noexcept {}
};

namespace {

bool sameScreenLayout(const QList<ScreenInfo>& a, const QList<ScreenInfo>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const ScreenInfo& x, const ScreenInfo& y) {
                          return x.frame == y.frame && x.number == y.number;
                      });
}

} // namespace

RegionSelectionController::RegionSelectionController(const ScreenList& screens,
                                                     RegionSelectionSurfaces& surfaces)
    : m_screens(screens), m_surfaces(surfaces) {}

RegionSelectionController::~RegionSelectionController() {
    finish(std::nullopt);
}

QCoro::Task<std::optional<QRectF>> RegionSelectionController::selectRegion() {
    finish(std::nullopt);
    const std::shared_ptr<Pending> pending = std::make_shared<Pending>();
    m_pending = pending;
    presentOverlay();
    PendingAwaiter awaiter{pending.get()};
    co_await awaiter;
    const std::optional<QRectF> selection = pending->selection;
    co_return selection;
}

// Checked before the controller is touched: an unfinished selection means it is still alive.
bool RegionSelectionController::isCurrent(const std::weak_ptr<Pending>& owner) {
    const std::shared_ptr<Pending> pending = owner.lock();
    return pending && !pending->finished;
}

bool RegionSelectionController::handleKey(int qtKey) {
    if (!isOpen() || qtKey != Qt::Key_Escape)
        return false;
    finish(std::nullopt);
    return true;
}

void RegionSelectionController::cancel() {
    finish(std::nullopt);
}

void RegionSelectionController::presentOverlay() {
    m_surfaces.removePanels();
    m_views.clear();
    const QList<ScreenInfo> screens = m_screens.screens();
    m_shownScreens = screens;
    if (screens.isEmpty()) {
        finish(std::nullopt);
        return;
    }
    for (const ScreenInfo& screen : screens) {
        // A panel may outlive this selection, and the controller, until its deferred deletion:
        // its view then reaches nothing.
        const std::weak_ptr<Pending> owner = m_pending;
        auto view = std::make_shared<RegionSelectionView>(
            screen.frame, screen.safeAreaTop,
            [this, owner](QRectF selection) {
                if (isCurrent(owner))
                    finish(selectionOnShownScreens(selection));
            },
            [this, owner] {
                if (isCurrent(owner))
                    finish(std::nullopt);
            });
        view->setRequest(m_request);
        m_views.push_back(view);
        m_surfaces.presentPanel(view, screen);
    }
}

// A monitor plugged or unplugged while the panels showed moves what the area covers: the user
// never saw what it would now capture.
std::optional<QRectF> RegionSelectionController::selectionOnShownScreens(QRectF selection) const {
    if (sameScreenLayout(m_screens.screens(), m_shownScreens))
        return selection;
    return std::nullopt;
}

// The pending caller is taken out before it resumes, so it resumes once even when Esc and a
// mouse-up arrive together, and may start the next selection straight away.
void RegionSelectionController::finish(std::optional<QRectF> selection) {
    if (!m_pending)
        return;
    const std::shared_ptr<Pending> pending = std::move(m_pending);
    m_pending = nullptr;
    m_surfaces.removePanels();
    m_views.clear();
    pending->selection = selection;
    pending->finished = true;
    if (pending->waiter)
        pending->waiter.resume();
}

} // namespace vantrel
