#include "SettingsPanel.h"

#include <QPainter>

namespace vantrel {

SettingsPanel::SettingsPanel(double cornerRadius, double tint, QWidget* parent)
    : QWidget(parent), m_cornerRadius(cornerRadius), m_tint(tint) {}

void SettingsPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette().color(QPalette::WindowText);
    fill.setAlphaF(m_tint);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
}

} // namespace vantrel
