#include "KeyCap.h"

#include "SettingsTextStyle.h"

#include <QHBoxLayout>
#include <QLabel>

namespace vantrel {

KeyCap::KeyCap(const QString& keys, QWidget* parent) : SettingsPanel(6, 0.12, parent) {
    auto* label = new QLabel;
    SettingsTextStyle::setText(*label, keys);
    SettingsTextStyle::rowTitle(*label);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 5, 10, 5);
    layout->addWidget(label);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

} // namespace vantrel
