#include "WelcomePage.h"

#include "OnboardingPageStyle.h"
#include "ui/OnboardingViewModel.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace vantrel {

WelcomePage::WelcomePage(OnboardingViewModel& model, QWidget* parent)
    : QWidget(parent), m_getStarted(OnboardingPageStyle::primaryButton(this)) {
    using Style = OnboardingPageStyle;
    QBoxLayout* layout = Style::column(this);
    QLabel* symbol = Style::symbol(this);
    Style::showSymbol(symbol, OnboardingViewModel::welcomeIcon,
                      palette().color(QPalette::Highlight), QStringLiteral("Vantrel"));
    layout->addWidget(symbol);
    layout->addWidget(Style::title(OnboardingViewModel::welcomeTitle, this));
    layout->addWidget(Style::message(model.welcomeMessage(), this), 0, Qt::AlignHCenter);
    Style::setText(m_getStarted, OnboardingViewModel::getStartedTitle);
    layout->addWidget(m_getStarted, 0, Qt::AlignHCenter);
    layout->addWidget(Style::caption(model.permissionsAheadNote(), this), 0, Qt::AlignHCenter);
    connect(m_getStarted, &QPushButton::clicked, &model, [&model] { model.getStarted(); });
}

} // namespace vantrel
