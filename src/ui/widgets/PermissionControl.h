#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace vantrel {

// Whether a permission is granted, and a button to the place where it is given; the button is
// there in both states.
class PermissionControl final : public QWidget {
    Q_OBJECT

  public:
    explicit PermissionControl(QWidget* parent = nullptr);

    void setGranted(bool granted);
    QPushButton& button() const { return *m_button; }

  Q_SIGNALS:
    void openSettingsRequested();

  private:
    QLabel* m_state;
    QLabel* m_missing;
    QPushButton* m_button;
};

} // namespace vantrel
