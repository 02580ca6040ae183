#include "SettingsCard.h"

#include "SettingsTextStyle.h"

#include <QLabel>
#include <QVBoxLayout>

namespace vantrel {

SettingsCard::SettingsCard(const QString& title, QWidget* content, QWidget* parent)
    : SettingsPanel(plateCornerRadius, plateTint, parent) {
    auto* titleLabel = new QLabel;
    SettingsTextStyle::setText(*titleLabel, title);
    SettingsTextStyle::rowTitle(*titleLabel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(platePadding, platePadding, platePadding, platePadding);
    layout->setSpacing(6);
    layout->addWidget(titleLabel);
    layout->addWidget(content);
}

} // namespace vantrel
