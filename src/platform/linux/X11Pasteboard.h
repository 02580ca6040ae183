#pragma once

#include "../Pasteboard.h"

namespace vantrel {

// The pasteboard model on X11. A long-running app mirrors every change onto the CLIPBOARD
// selection it owns; a one-shot command keeps the model and hands it over when it is done.
class X11Pasteboard final : public Pasteboard {
  public:
    enum class Mirroring { everyChange, onHandOff };
    explicit X11Pasteboard(Mirroring mirroring) : m_mirroring(mirroring) {}

  protected:
    void contentsDidChange() override;

  private:
    Mirroring m_mirroring;
};

} // namespace vantrel
