#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <optional>

namespace vantrel {

// The drag on one screen and where its pieces go. Mouse positions come in bottom-left global
// points, so a drag that leaves its screen keeps tracking; geometry goes out in the window's own
// top-left points.
class RegionSelectionView final {
  public:
    static constexpr double dragThreshold = 8;
    static constexpr double smallestConfirmed = 8;
    static constexpr double smallestDrawn = 4;
    // Between a box's edge and its text.
    static constexpr QSizeF sizeChipInset{8, 4};
    static constexpr QSizeF hintInset{14, 8};

    RegionSelectionView(QRectF screenFrame, double topInset, std::function<void(QRectF)> onConfirm,
                        std::function<void()> onCancel);

    // What an agent asks the user, shown with the hint; and whether a click (no drag) picks the
    // point under it, as a 1×1 area, instead of cancelling.
    struct Request {
        QString prompt;
        bool clickPicksPoint = false;
    };
    void setRequest(Request request) { m_request = std::move(request); }
    const Request& request() const { return m_request; }
    QString hintText() const;

    void mouseDown(QPointF position);
    void mouseDragged(QPointF position);
    void mouseUp(QPointF position);

    QRectF screenFrame() const { return m_screenFrame; }
    double topInset() const { return m_topInset; }
    QSizeF bounds() const { return m_screenFrame.size(); }
    bool didDrag() const { return m_didDrag; }
    bool showsHint() const { return !m_didDrag; }

    // The area between the two points, in bottom-left global points.
    std::optional<QRectF> globalSelection() const;
    // What is cut out of the dimming, in window points; none while nothing is drawn.
    std::optional<QRectF> drawnSelection() const;
    QString sizeChipText() const;
    QRectF sizeChipBox(QRectF localSelection, QSizeF textSize) const;
    QRectF hintBox(QSizeF textSize) const;

    QRectF convertScreenRectToLocal(QRectF rect) const;
    QPointF globalPointFromLocal(QPointF local) const;

  private:
    void confirmSelection();

    QRectF m_screenFrame;
    double m_topInset = 0;
    std::optional<QPointF> m_dragStart;
    std::optional<QPointF> m_dragCurrent;
    bool m_didDrag = false;
    std::function<void(QRectF)> m_onConfirm;
    std::function<void()> m_onCancel;
    Request m_request;
};

} // namespace vantrel
