#pragma once

#include "SettingsPanel.h"

namespace vantrel {

// A key combination drawn as a key on a rounded cap.
class KeyCap final : public SettingsPanel {
    Q_OBJECT

  public:
    explicit KeyCap(const QString& keys, QWidget* parent = nullptr);
};

} // namespace vantrel
