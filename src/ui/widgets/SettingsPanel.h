#pragma once

#include <QWidget>

namespace vantrel {

// A rounded plate in a faint tint of the text colour, behind the settings window's rows, cards
// and key caps.
class SettingsPanel : public QWidget {
    Q_OBJECT

  public:
    // What rows and cards share: corner radius, the tint's opacity, the padding inside.
    static constexpr double plateCornerRadius = 10;
    static constexpr double plateTint = 0.06;
    static constexpr int platePadding = 14;

    explicit SettingsPanel(double cornerRadius, double tint, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double m_cornerRadius;
    double m_tint;
};

} // namespace vantrel
