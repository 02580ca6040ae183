#include "RegionSelectionView.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

namespace {

QRectF rectBetween(QPointF a, QPointF b) {
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(a.x() - b.x()),
            std::abs(a.y() - b.y())};
}

constexpr double chipGap = 6;
constexpr double chipScreenMargin = 8;
constexpr double hintSmallestInset = 12;
constexpr double hintTopGap = 16;

} // namespace

RegionSelectionView::RegionSelectionView(QRectF screenFrame, double topInset,
                                         std::function<void(QRectF)> onConfirm,
                                         std::function<void()> onCancel)
    : m_screenFrame(screenFrame.normalized()), m_topInset(topInset),
      m_onConfirm(std::move(onConfirm)), m_onCancel(std::move(onCancel)) {}

void RegionSelectionView::mouseDown(QPointF position) {
    m_dragStart = position;
    m_dragCurrent = position;
    m_didDrag = false;
}

void RegionSelectionView::mouseDragged(QPointF position) {
    m_dragCurrent = position;
    if (!m_dragStart)
        return;
    const QPointF moved = position - *m_dragStart;
    if (std::abs(moved.x()) >= dragThreshold || std::abs(moved.y()) >= dragThreshold)
        m_didDrag = true;
}

QString RegionSelectionView::hintText() const {
    const QString how = m_request.clickPicksPoint
                            ? QStringLiteral("Click a window · Esc to cancel")
                            : QStringLiteral("Drag to capture · Esc to cancel");
    return m_request.prompt.isEmpty() ? how : m_request.prompt + QStringLiteral("  —  ") + how;
}

void RegionSelectionView::mouseUp(QPointF position) {
    m_dragCurrent = position;
    if (!m_didDrag && m_request.clickPicksPoint && m_dragStart) {
        m_onConfirm(QRectF(position, QSizeF(1, 1)));
        return;
    }
    if (!m_didDrag) {
        m_onCancel();
        return;
    }
    confirmSelection();
}

void RegionSelectionView::confirmSelection() {
    const std::optional<QRectF> selection = globalSelection();
    if (selection && selection->width() >= smallestConfirmed &&
        selection->height() >= smallestConfirmed) {
        m_onConfirm(*selection);
        return;
    }
    m_onCancel();
}

std::optional<QRectF> RegionSelectionView::globalSelection() const {
    if (!m_dragStart || !m_dragCurrent)
        return std::nullopt;
    return rectBetween(*m_dragStart, *m_dragCurrent);
}

std::optional<QRectF> RegionSelectionView::drawnSelection() const {
    const std::optional<QRectF> selection = globalSelection();
    if (!m_didDrag || !selection || selection->width() < smallestDrawn ||
        selection->height() < smallestDrawn)
        return std::nullopt;
    return convertScreenRectToLocal(*selection);
}

QString RegionSelectionView::sizeChipText() const {
    const std::optional<QRectF> selection = globalSelection();
    if (!selection)
        return {};
    return QString::asprintf("%.0f × %.0f", selection->width(), selection->height());
}

// Below the selection, right edges aligned; inside it, near its lower edge, when the box would
// come closer than the margin to the bottom of the screen.
QRectF RegionSelectionView::sizeChipBox(QRectF localSelection, QSizeF textSize) const {
    const QSizeF box = textSize + 2 * sizeChipInset;
    const double left = localSelection.right() - box.width();
    double top = localSelection.bottom() + chipGap;
    if (top + box.height() > bounds().height() - chipScreenMargin)
        top = localSelection.bottom() - chipGap - box.height();
    return {QPointF(left, top), box};
}

// Hangs below the top edge, clear of whatever the screen's top inset covers.
QRectF RegionSelectionView::hintBox(QSizeF textSize) const {
    const QSizeF box = textSize + 2 * hintInset;
    const double top = std::max(m_topInset, hintSmallestInset) + hintTopGap;
    return {QPointF((bounds().width() - box.width()) * 0.5, top), box};
}

QRectF RegionSelectionView::convertScreenRectToLocal(QRectF rect) const {
    const QRectF r = rect.normalized();
    const double screenTop = m_screenFrame.y() + m_screenFrame.height();
    return {r.x() - m_screenFrame.x(), screenTop - (r.y() + r.height()), r.width(), r.height()};
}

QPointF RegionSelectionView::globalPointFromLocal(QPointF local) const {
    const double screenTop = m_screenFrame.y() + m_screenFrame.height();
    return {m_screenFrame.x() + local.x(), screenTop - local.y()};
}

} // namespace vantrel
