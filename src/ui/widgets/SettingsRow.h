#pragma once

#include "SettingsPanel.h"

class QLabel;

namespace vantrel {

// A titled setting: the title and a note under it at the left, its control at the right. The
// control is named after the title for assistive tools.
class SettingsRow final : public SettingsPanel {
    Q_OBJECT

  public:
    SettingsRow(const QString& title, QWidget* control, QWidget* parent = nullptr);

    void setNote(const QString& note);
    QString note() const;

  private:
    QLabel* m_note;
    QWidget* m_control;
};

} // namespace vantrel
