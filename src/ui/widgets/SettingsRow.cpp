#include "SettingsRow.h"

#include "SettingsTextStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vantrel {

SettingsRow::SettingsRow(const QString& title, QWidget* control, QWidget* parent)
    : SettingsPanel(plateCornerRadius, plateTint, parent), m_note(new QLabel), m_control(control) {
    auto* titleLabel = new QLabel;
    SettingsTextStyle::setText(*titleLabel, title);
    SettingsTextStyle::rowTitle(*titleLabel);
    SettingsTextStyle::caption(*m_note);
    SettingsTextStyle::secondary(*m_note);
    m_note->setWordWrap(true);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(titleLabel);
    texts->addWidget(m_note);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(platePadding, platePadding, platePadding, platePadding);
    layout->setSpacing(16);
    layout->addLayout(texts, 1);
    layout->addWidget(control, 0, Qt::AlignVCenter);
    control->setAccessibleName(title);
}

void SettingsRow::setNote(const QString& note) {
    SettingsTextStyle::setText(*m_note, note);
    m_control->setAccessibleDescription(note);
}

QString SettingsRow::note() const {
    return m_note->text();
}

} // namespace vantrel
