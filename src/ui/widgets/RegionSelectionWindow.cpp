#include "RegionSelectionWindow.h"

#include "input/RegionSelectionPainter.h"
#include "input/RegionSelectionView.h"

#include <QExposeEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vantrel {

RegionSelectionWindow::RegionSelectionWindow(std::shared_ptr<RegionSelectionView> view,
                                             QImage frozenScreen, KeyHandler keyHandler)
    : m_view(std::move(view)), m_frozenScreen(std::move(frozenScreen)),
      m_keyHandler(std::move(keyHandler)) {
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
             Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint);
    if (m_frozenScreen.isNull()) {
        QSurfaceFormat translucent = format();
        translucent.setAlphaBufferSize(8);
        setFormat(translucent);
    }
    setCursor(Qt::CrossCursor);
    setTitle(QStringLiteral("Vantrel area selection"));
}

void RegionSelectionWindow::takeKeyboard() {
    m_wantsKeyboard = true;
    if (isExposed())
        m_hasKeyboard = setKeyboardGrabEnabled(true);
}

void RegionSelectionWindow::exposeEvent(QExposeEvent* event) {
    QRasterWindow::exposeEvent(event);
    if (m_wantsKeyboard && !m_hasKeyboard && isExposed())
        m_hasKeyboard = setKeyboardGrabEnabled(true);
}

void RegionSelectionWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_frozenScreen.isNull()) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRect(QPoint(0, 0), size()), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    RegionSelectionPainter::paint(painter, *m_view, m_frozenScreen);
}

// The view may end the selection, which takes this window down: the copy keeps the view alive
// until the call returns, and the window itself goes only later.
void RegionSelectionWindow::mousePressEvent(QMouseEvent* event) {
    const std::shared_ptr<RegionSelectionView> view = m_view;
    view->mouseDown(globalPoint(event));
    update();
}

void RegionSelectionWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const std::shared_ptr<RegionSelectionView> view = m_view;
    view->mouseDragged(globalPoint(event));
    update();
}

void RegionSelectionWindow::mouseReleaseEvent(QMouseEvent* event) {
    const std::shared_ptr<RegionSelectionView> view = m_view;
    view->mouseUp(globalPoint(event));
    update();
}

void RegionSelectionWindow::keyPressEvent(QKeyEvent* event) {
    if (m_keyHandler && m_keyHandler(event->key()))
        event->accept();
    else
        event->ignore();
}

// From the window's own position, not Qt's global one: the press grabs the pointer, so the
// position keeps counting past this screen's edges, in the same points as the view's frame.
QPointF RegionSelectionWindow::globalPoint(const QMouseEvent* event) const {
    return m_view->globalPointFromLocal(event->position());
}

} // namespace vantrel
