#include "PermissionControl.h"

#include "SettingsTextStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace vantrel {

PermissionControl::PermissionControl(QWidget* parent)
    : QWidget(parent), m_state(new QLabel), m_missing(new QLabel),
      m_button(new QPushButton(QStringLiteral("Open Settings"))) {
    // Two labels rather than one recoloured: each keeps its own colour whatever the palette.
    SettingsTextStyle::setText(*m_state, QStringLiteral("Granted"));
    SettingsTextStyle::caption(*m_state);
    SettingsTextStyle::granted(*m_state);
    SettingsTextStyle::setText(*m_missing, QStringLiteral("Not granted"));
    SettingsTextStyle::caption(*m_missing);
    SettingsTextStyle::secondary(*m_missing);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(m_state);
    layout->addWidget(m_missing);
    layout->addWidget(m_button);
    connect(m_button, &QPushButton::clicked, this, &PermissionControl::openSettingsRequested);
    setGranted(false);
}

void PermissionControl::setGranted(bool granted) {
    m_state->setVisible(granted);
    m_missing->setVisible(!granted);
}

} // namespace vantrel
