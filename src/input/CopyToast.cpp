#include "CopyToast.h"

#include "ToastView.h"
#include "platform/Clock.h"
#include "platform/ScreenList.h"
#include "screen/CaptureCoordinates.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

namespace vantrel {

CopyToast::CopyToast(ToastView& view, const ScreenList& screens, Clock& clock, QObject* parent)
    : QObject(parent), m_view(view), m_screens(screens), m_clock(clock) {}

CopyToast::~CopyToast() {
    m_hideTimer.request_stop();
}

void CopyToast::show(const QString& text) {
    m_hideTimer.request_stop();
    m_hideTimer = std::stop_source();
    ++m_generation;
    m_text = text;

    m_view.setText(text);
    const int toastWidth = width(m_view.textWidth(text));
    if (const auto geometry = frame(m_screens, toastWidth))
        m_view.setGeometry(*geometry);
    else
        m_view.resize(QSize(toastWidth, height));
    m_view.fadeIn();
    m_visible = true;
    hideAfterDelay(m_hideTimer.get_token());
}

int CopyToast::width(double textWidth) {
    const int wanted = static_cast<int>(std::ceil(textWidth)) + horizontalPadding;
    return std::clamp(wanted, minimumWidth, maximumWidth);
}

std::optional<QRect> CopyToast::frame(const ScreenList& screens, int width) {
    const QPointF mouse = screens.mouseLocation();
    const QList<ScreenInfo> all = screens.screens();
    const auto underMouse = std::find_if(all.cbegin(), all.cend(), [&](const ScreenInfo& screen) {
        return screen.frame.contains(mouse);
    });
    const std::optional<ScreenInfo> screen =
        underMouse != all.cend() ? std::optional(*underMouse) : screens.mainScreen();
    if (!screen)
        return std::nullopt;
    const QRectF visible = screen->visibleFrame;
    const QRectF bottomLeft(visible.center().x() - width / 2.0, visible.top() + bottomMargin, width,
                            height);
    return CaptureCoordinates::topLeftRect(screens, bottomLeft).toRect();
}

QCoro::Task<> CopyToast::hideAfterDelay(std::stop_token stop) {
    const std::chrono::milliseconds delay = visibleDuration;
    co_await m_clock.sleep(delay, stop);
    // A stop means a newer show took over, or the toast is going away.
    if (stop.stop_requested())
        co_return;
    hide();
}

void CopyToast::hide() {
    const quint64 generation = m_generation;
    QPointer<CopyToast> weakSelf(this);
    m_view.fadeOut([weakSelf, generation] {
        if (!weakSelf || weakSelf->m_generation != generation)
            return;
        weakSelf->m_visible = false;
        weakSelf->m_view.orderOut();
    });
}

} // namespace vantrel
