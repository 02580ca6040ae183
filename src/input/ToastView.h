#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

namespace vantrel {

// The window a toast is shown in. It never takes focus and lets the mouse pass through.
class ToastView {
  public:
    virtual ~ToastView() = default;

    // The width of the text in the toast's font.
    virtual double textWidth(const QString& text) const = 0;
    virtual void setText(const QString& text) = 0;
    // Top-left global space.
    virtual void setGeometry(const QRect& geometry) = 0;
    virtual void resize(const QSize& size) = 0;
    // Orders the window front from transparent and fades it in, without activating it.
    virtual void fadeIn() = 0;
    // Fades the window out; `finished` runs once it is transparent (at once where nothing fades).
    virtual void fadeOut(std::function<void()> finished) = 0;
    virtual void orderOut() = 0;
};

} // namespace vantrel
