#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace vantrel {

class PermissionStepModel;

// One permission page of the setup assistant: it shows its model and forwards the two buttons.
class PermissionPage final : public QWidget {
    Q_OBJECT

  public:
    explicit PermissionPage(PermissionStepModel& model, QWidget* parent = nullptr);

    QPushButton* primaryButton() const { return m_primary; }
    QPushButton* secondaryButton() const { return m_secondary; }
    QLabel* statusLabel() const { return m_status; }

  private:
    void refresh();

    PermissionStepModel& m_model;
    QLabel* m_symbol;
    QLabel* m_steps;
    QLabel* m_status;
    QPushButton* m_primary;
    QPushButton* m_secondary;
};

} // namespace vantrel
