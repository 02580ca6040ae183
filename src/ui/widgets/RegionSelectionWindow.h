#pragma once

#include <QImage>
#include <QRasterWindow>

#include <functional>
#include <memory>

namespace vantrel {

class RegionSelectionView;

// A frameless window above everything else covering one screen: it shows its view and forwards
// the mouse to it in global points, and keys to whoever owns the selection. A plain window, not a
// widget, so it needs nothing beyond a QGuiApplication.
class RegionSelectionWindow final : public QRasterWindow {
    Q_OBJECT

  public:
    using KeyHandler = std::function<bool(int qtKey)>;

    // Without a frozen picture the window is translucent and needs a compositor to look right.
    RegionSelectionWindow(std::shared_ptr<RegionSelectionView> view, QImage frozenScreen,
                          KeyHandler keyHandler);

    // Override-redirect windows get no focus from a window manager: grabbing the keyboard is how
    // Esc arrives, and reaches nothing else. A grab needs a mapped window, so it may wait until
    // the first expose.
    void takeKeyboard();

  protected:
    void exposeEvent(QExposeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QPointF globalPoint(const QMouseEvent* event) const;

    std::shared_ptr<RegionSelectionView> m_view;
    QImage m_frozenScreen;
    KeyHandler m_keyHandler;
    bool m_wantsKeyboard = false;
    bool m_hasKeyboard = false;
};

} // namespace vantrel
