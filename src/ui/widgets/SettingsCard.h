#pragma once

#include "SettingsPanel.h"

namespace vantrel {

// A titled block of text (or of any content) on the same plate as the rows.
class SettingsCard final : public SettingsPanel {
    Q_OBJECT

  public:
    SettingsCard(const QString& title, QWidget* content, QWidget* parent = nullptr);
};

} // namespace vantrel
