#pragma once

#include <QWidget>

namespace vantrel {

// A rounded plate in a faint tint of the text colour, behind the settings window's rows, cards
// and key caps.
class SettingsPanel : public QWidget {
    Q_OBJECT

  public:
    explicit SettingsPanel(double cornerRadius, double tint, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double m_cornerRadius;
    double m_tint;
};

} // namespace vantrel
