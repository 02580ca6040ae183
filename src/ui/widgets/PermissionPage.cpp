#include "PermissionPage.h"

#include "OnboardingPageStyle.h"
#include "ui/PermissionStepModel.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace vantrel {

namespace {

constexpr int buttonSpacing = 12;

} // namespace

PermissionPage::PermissionPage(PermissionStepModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_symbol(OnboardingPageStyle::symbol(this)),
      m_steps(OnboardingPageStyle::caption(QString(), this)),
      m_status(OnboardingPageStyle::caption(QString(), this)),
      m_primary(OnboardingPageStyle::primaryButton(this)),
      m_secondary(OnboardingPageStyle::linkButton(this)) {
    using Style = OnboardingPageStyle;
    QBoxLayout* layout = Style::column(this);
    layout->addWidget(m_symbol);
    layout->addWidget(Style::title(model.page().title, this));
    layout->addWidget(Style::message(model.page().message, this), 0, Qt::AlignHCenter);
    layout->addWidget(m_steps, 0, Qt::AlignHCenter);
    QFont statusFont = m_status->font();
    statusFont.setPointSizeF(12);
    m_status->setFont(statusFont);
    layout->addWidget(m_status, 0, Qt::AlignHCenter);
    auto* row = new QHBoxLayout;
    row->setSpacing(buttonSpacing);
    row->addStretch(1);
    row->addWidget(m_primary);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addWidget(m_secondary, 0, Qt::AlignHCenter);

    connect(m_primary, &QPushButton::clicked, &model, [&model] { model.pressPrimary(); });
    connect(m_secondary, &QPushButton::clicked, &model, [&model] { model.pressSecondary(); });
    connect(&model, &PermissionStepModel::changed, this, &PermissionPage::refresh);
    refresh();
}

void PermissionPage::refresh() {
    using Style = OnboardingPageStyle;
    const bool granted = m_model.granted();
    Style::showSymbol(m_symbol, m_model.icon(), m_model.tint(),
                      m_model.page().title + (granted ? QStringLiteral(": granted")
                                                      : QStringLiteral(": not granted")));
    Style::setText(m_steps, m_model.steps());
    QFont statusFont = m_status->font();
    statusFont.setWeight(granted ? QFont::Medium : QFont::Normal);
    m_status->setFont(statusFont);
    Style::setText(m_status, m_model.statusLine());
    Style::setColour(m_status,
                     granted ? PermissionStepModel::grantedTint : Style::secondaryColour(this));
    Style::setText(m_primary, m_model.primaryTitle());
    Style::setText(m_secondary, m_model.secondaryTitle());
}

} // namespace vantrel
