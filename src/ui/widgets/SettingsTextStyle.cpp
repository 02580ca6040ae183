#include "SettingsTextStyle.h"

#include <QLabel>

namespace vantrel {

namespace {

void scale(QWidget& widget, double factor, QFont::Weight weight) {
    QFont font = widget.font();
    font.setPointSizeF(font.pointSizeF() * factor);
    font.setWeight(weight);
    widget.setFont(font);
}

void setTextColour(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget.setPalette(palette);
}

} // namespace

void SettingsTextStyle::heading(QLabel& label) {
    scale(label, 1.4, QFont::DemiBold);
}

void SettingsTextStyle::rowTitle(QLabel& label) {
    scale(label, 1.0, QFont::Medium);
}

void SettingsTextStyle::callout(QWidget& widget) {
    scale(widget, 0.95, QFont::Normal);
}

void SettingsTextStyle::caption(QLabel& label) {
    scale(label, 0.85, QFont::Normal);
}

void SettingsTextStyle::secondary(QWidget& widget) {
    QColor colour = widget.palette().color(QPalette::WindowText);
    colour.setAlphaF(0.55);
    setTextColour(widget, colour);
}

void SettingsTextStyle::granted(QLabel& label) {
    setTextColour(label, QColor(0x248a3d));
}

void SettingsTextStyle::setText(QLabel& label, const QString& text) {
    label.setText(text);
    label.setAccessibleName(text);
}

} // namespace vantrel
