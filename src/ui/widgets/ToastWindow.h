#pragma once

#include "input/ToastView.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QPropertyAnimation;

namespace vantrel {

// The toast's window: a frameless capsule above other windows that never takes focus, lets clicks
// through to the window beneath and stays out of the window manager's way. Where a compositor
// honours window opacity it fades; elsewhere it just appears and disappears.
class ToastWindow final : public QWidget, public ToastView {
    Q_OBJECT

  public:
    explicit ToastWindow(QWidget* parent = nullptr);

    double textWidth(const QString& text) const override;
    void setText(const QString& text) override;
    void setGeometry(const QRect& geometry) override;
    void resize(const QSize& size) override;
    void fadeIn() override;
    void fadeOut(std::function<void()> finished) override;
    void orderOut() override;

    QString text() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void animateOpacity(double to, int milliseconds);

    QLabel* m_label;
    QPointer<QPropertyAnimation> m_animation;
};

} // namespace vantrel
