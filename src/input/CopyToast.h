#pragma once

#include "ToastShowing.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QRect>

#include <chrono>
#include <stop_token>

namespace vantrel {

class Clock;
class ScreenList;
class ToastView;

// One confirmation at a time near the bottom of the screen under the mouse: a new text replaces
// the one on screen and restarts the timer.
class CopyToast final : public QObject, public ToastShowing {
    Q_OBJECT

  public:
    static constexpr std::chrono::milliseconds visibleDuration{1800};
    static constexpr int height = 44;
    static constexpr int minimumWidth = 220;
    static constexpr int maximumWidth = 460;
    static constexpr int horizontalPadding = 48;
    static constexpr int bottomMargin = 96;

    CopyToast(ToastView& view, const ScreenList& screens, Clock& clock, QObject* parent = nullptr);
    ~CopyToast() override;

    void show(const QString& text) override;

    bool isVisible() const { return m_visible; }
    const QString& text() const { return m_text; }

    // Where a toast of this text goes (top-left space); none without screens.
    static int width(double textWidth);
    static std::optional<QRect> frame(const ScreenList& screens, int width);

  private:
    QCoro::Task<> hideAfterDelay(std::stop_token stop);
    void hide();

    ToastView& m_view;
    const ScreenList& m_screens;
    Clock& m_clock;
    QString m_text;
    bool m_visible = false;
    // Each show starts a new generation; a fade-out of an older one must not hide it.
    quint64 m_generation = 0;
    std::stop_source m_hideTimer;
};

} // namespace vantrel
