#pragma once

#include <QString>

class QBoxLayout;
class QColor;
class QLabel;
class QPushButton;
class QWidget;

namespace vantrel {

// The look the setup assistant's pages share: a centred column, 18 points apart, 32 points from
// every edge, with a large symbol, a bold title and a secondary message at most 440 points wide.
struct OnboardingPageStyle {
    static QBoxLayout* column(QWidget* page);
    static QLabel* symbol(QWidget* page);
    static void showSymbol(QLabel* label, const QString& symbol, const QColor& tint,
                           const QString& accessibleName);
    static QLabel* title(const QString& text, QWidget* page);
    static QLabel* message(const QString& text, QWidget* page);
    static QLabel* caption(const QString& text, QWidget* page);
    // The default action of the page (Return), in the large size.
    static QPushButton* primaryButton(QWidget* page);
    static QPushButton* linkButton(QWidget* page);
    static QColor secondaryColour(const QWidget* widget);
    static void setColour(QLabel* label, const QColor& colour);
    static void setText(QLabel* label, const QString& text);
    static void setText(QPushButton* button, const QString& text);
};

} // namespace vantrel
