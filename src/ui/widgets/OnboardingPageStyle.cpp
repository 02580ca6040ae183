#include "OnboardingPageStyle.h"

#include "SymbolIcon.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantrel {

namespace {

constexpr int spacing = 18;
constexpr int padding = 32;
constexpr int pageSymbolSize = 56;
constexpr int messageWidth = 440;

QFont sized(double points, QFont::Weight weight = QFont::Normal) {
    QFont font;
    font.setPointSizeF(points);
    font.setWeight(weight);
    return font;
}

QLabel* label(const QString& text, const QFont& font, QWidget* page) {
    auto* shown = new QLabel(page);
    shown->setFont(font);
    shown->setAlignment(Qt::AlignCenter);
    shown->setWordWrap(true);
    OnboardingPageStyle::setText(shown, text);
    return shown;
}

QLabel* secondaryLabel(const QString& text, const QFont& font, QWidget* page) {
    QLabel* shown = label(text, font, page);
    OnboardingPageStyle::setColour(shown, OnboardingPageStyle::secondaryColour(page));
    return shown;
}

} // namespace

QBoxLayout* OnboardingPageStyle::column(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(spacing);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->addStretch(1);
    return layout;
}

QLabel* OnboardingPageStyle::symbol(QWidget* page) {
    auto* shown = new QLabel(page);
    shown->setAlignment(Qt::AlignCenter);
    shown->setFixedHeight(pageSymbolSize);
    return shown;
}

void OnboardingPageStyle::showSymbol(QLabel* label, const QString& symbol, const QColor& tint,
                                     const QString& accessibleName) {
    // The drawing, not the theme's picture: every desktop shows the same symbol.
    label->setPixmap(SymbolIcon::drawn(symbol, tint, pageSymbolSize));
    label->setAccessibleName(accessibleName);
}

QLabel* OnboardingPageStyle::title(const QString& text, QWidget* page) {
    return label(text, sized(20, QFont::DemiBold), page);
}

QLabel* OnboardingPageStyle::message(const QString& text, QWidget* page) {
    QLabel* shown = secondaryLabel(text, sized(13), page);
    // Fixed, so that wrapping never narrows it below the width it may take.
    shown->setFixedWidth(messageWidth);
    setText(shown, text);
    return shown;
}

QLabel* OnboardingPageStyle::caption(const QString& text, QWidget* page) {
    QLabel* shown = secondaryLabel(text, sized(10), page);
    shown->setFixedWidth(messageWidth);
    setText(shown, text);
    return shown;
}

QPushButton* OnboardingPageStyle::primaryButton(QWidget* page) {
    auto* button = new QPushButton(page);
    button->setFont(sized(13));
    button->setMinimumSize(160, 34);
    return button;
}

QPushButton* OnboardingPageStyle::linkButton(QWidget* page) {
    auto* button = new QPushButton(page);
    button->setFont(sized(10));
    button->setFlat(true);
    button->setAutoDefault(false);
    button->setCursor(Qt::PointingHandCursor);
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, palette.color(QPalette::Link));
    button->setPalette(palette);
    return button;
}

QColor OnboardingPageStyle::secondaryColour(const QWidget* widget) {
    QColor colour = widget->palette().color(QPalette::WindowText);
    colour.setAlphaF(0.6);
    return colour;
}

void OnboardingPageStyle::setColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void OnboardingPageStyle::setText(QLabel* label, const QString& text) {
    label->setText(text);
    label->setAccessibleName(text);
    label->setVisible(!text.isEmpty());
    // A column does not ask wrapped text for its height; a fixed-width label says it itself.
    if (label->wordWrap() && label->minimumWidth() == label->maximumWidth())
        label->setMinimumHeight(label->heightForWidth(label->maximumWidth()));
}

void OnboardingPageStyle::setText(QPushButton* button, const QString& text) {
    button->setText(text);
    button->setAccessibleName(text);
}

} // namespace vantrel
