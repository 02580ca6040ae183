#include "ToastWindow.h"

#include "ScreenGeometry.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>

namespace vantrel {

namespace {

constexpr int cornerRadius = 12;
constexpr int labelMargin = 18;
constexpr int fadeInMilliseconds = 120;
constexpr int fadeOutMilliseconds = 250;

QFont toastFont() {
    QFont font;
    font.setPointSizeF(13);
    font.setWeight(QFont::Medium);
    return font;
}

} // namespace

ToastWindow::ToastWindow(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput |
                          Qt::X11BypassWindowManagerHint),
      m_label(new QLabel(this)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setObjectName(QStringLiteral("VantrelToast"));
    m_label->setFont(toastFont());
    m_label->setAlignment(Qt::AlignCenter);
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    m_label->setPalette(palette);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(labelMargin, 0, labelMargin, 0);
    layout->addWidget(m_label);
    QWidget::resize(320, 44);
}

double ToastWindow::textWidth(const QString& text) const {
    return QFontMetricsF(toastFont()).horizontalAdvance(text);
}

void ToastWindow::setText(const QString& text) {
    m_label->setText(text);
    // The window's name is its text, so assistive tools and tests can read what it says.
    setWindowTitle(text);
}

QString ToastWindow::text() const {
    return m_label->text();
}

void ToastWindow::setGeometry(const QRect& geometry) {
    QWidget::setGeometry(ScreenGeometry::toQtGlobal(geometry));
}

void ToastWindow::resize(const QSize& size) {
    QWidget::resize(size);
}

void ToastWindow::fadeIn() {
    if (m_animation)
        m_animation->stop(); // a fade-out still running must not finish over the new text
    setWindowOpacity(0.0);
    show();
    raise();
    animateOpacity(1.0, fadeInMilliseconds);
}

void ToastWindow::fadeOut(std::function<void()> finished) {
    animateOpacity(0.0, fadeOutMilliseconds);
    connect(m_animation, &QPropertyAnimation::finished, this,
            [finished = std::move(finished)] { finished(); });
}

void ToastWindow::orderOut() {
    hide();
}

void ToastWindow::animateOpacity(double to, int milliseconds) {
    if (m_animation)
        m_animation->stop();
    m_animation = new QPropertyAnimation(this, "windowOpacity", this);
    m_animation->setDuration(milliseconds);
    m_animation->setEndValue(to);
    m_animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void ToastWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 30, 30, 235));
    painter.drawRoundedRect(rect(), cornerRadius, cornerRadius);
}

void ToastWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Without a compositor the corners outside the capsule would paint black; cut them off.
    QPainterPath path;
    path.addRoundedRect(rect(), cornerRadius, cornerRadius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

} // namespace vantrel
