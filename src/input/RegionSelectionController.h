#pragma once

#include "RegionSelecting.h"
#include "RegionSelectionView.h"
#include "platform/ScreenList.h"

#include <coroutine>
#include <memory>
#include <vector>

namespace vantrel {

class RegionSelectionSurfaces;
using RegionSelectionRequest = RegionSelectionView::Request;
class ScreenList;

// Covers every screen, lets the user drag, and hands the area to the one waiting caller. A
// selection ends exactly once, whichever comes first: Esc, a click, a drag, or a newer selection.
class RegionSelectionController final : public RegionSelecting {
  public:
    RegionSelectionController(const ScreenList& screens, RegionSelectionSurfaces& surfaces);
    // The waiting caller gets none rather than waiting forever.
    ~RegionSelectionController() override;
    RegionSelectionController(const RegionSelectionController&) = delete;
    RegionSelectionController& operator=(const RegionSelectionController&) = delete;

    QCoro::Task<std::optional<QRectF>> selectRegion() override;
    // Answers whether the key was taken: Esc ends the selection and goes no further.
    bool handleKey(int qtKey);
    void cancel() override;

    bool isOpen() const { return m_pending != nullptr; }
    // For the selections that follow.
    void setRequest(RegionSelectionRequest request) { m_request = std::move(request); }

  private:
    struct Pending;
    struct PendingAwaiter;

    static bool isCurrent(const std::weak_ptr<Pending>& owner);
    void presentOverlay();
    void finish(std::optional<QRectF> selection);
    std::optional<QRectF> selectionOnShownScreens(QRectF selection) const;

    const ScreenList& m_screens;
    RegionSelectionSurfaces& m_surfaces;
    std::shared_ptr<Pending> m_pending;
    std::vector<std::shared_ptr<RegionSelectionView>> m_views;
    QList<ScreenInfo> m_shownScreens;
    RegionSelectionRequest m_request;
};

} // namespace vantrel
