#include "SettingsCard.h"

#include "SettingsTextStyle.h"

#include <QLabel>
#include <QVBoxLayout>

namespace vantrel {

namespace {

constexpr double cornerRadius = 10;
constexpr double tint = 0.06;
constexpr int padding = 14;

} // namespace

SettingsCard::SettingsCard(const QString& title, QWidget* content, QWidget* parent)
    : SettingsPanel(cornerRadius, tint, parent) {
    auto* titleLabel = new QLabel;
    SettingsTextStyle::setText(*titleLabel, title);
    SettingsTextStyle::rowTitle(*titleLabel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(6);
    layout->addWidget(titleLabel);
    layout->addWidget(content);
}

} // namespace vantrel
