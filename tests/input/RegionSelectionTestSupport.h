#pragma once

#include "input/RegionSelectionController.h"
#include "input/RegionSelectionSurfaces.h"
#include "input/RegionSelectionView.h"
#include "platform/ScreenList.h"

#include <QCoro/QCoroTask>

#include <ostream>

inline void PrintTo(const QRectF& rect, std::ostream* out) {
    *out << "(" << rect.x() << ", " << rect.y() << ", " << rect.width() << " × " << rect.height()
         << ")";
}

namespace vantrel::testing {

class FixedScreens final : public ScreenList {
  public:
    explicit FixedScreens(QList<ScreenInfo> screens) : m_screens(std::move(screens)) {}

    QList<ScreenInfo> screens() const override { return m_screens; }
    std::optional<ScreenInfo> mainScreen() const override {
        return m_screens.isEmpty() ? std::nullopt : std::optional(m_screens.first());
    }
    QPointF mouseLocation() const override { return {}; }

  private:
    QList<ScreenInfo> m_screens;
};

// Panels without windows: what the controller shows is what it asked for.
class RecordedSurfaces final : public RegionSelectionSurfaces {
  public:
    void presentPanel(std::shared_ptr<RegionSelectionView> view, const ScreenInfo&) override {
        shown.push_back(std::move(view));
    }
    void removePanels() override { shown.clear(); }

    std::vector<std::shared_ptr<RegionSelectionView>> shown;
};

// Everything here resumes synchronously, so a selection's task can be watched without a loop.
struct Selection {
    bool done = false;
    std::optional<QRectF> area;
};

inline QCoro::Task<> watch(RegionSelecting& selecting, Selection& out) {
    out.area = co_await selecting.selectRegion();
    out.done = true;
}

inline ScreenInfo screen(QRectF frame, double topInset = 0, quint32 number = 1) {
    ScreenInfo info;
    info.frame = frame;
    info.visibleFrame = frame;
    info.safeAreaTop = topInset;
    info.number = number;
    return info;
}

} // namespace vantrel::testing
