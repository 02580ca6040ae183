#pragma once

#include "../HotKeyService.h"

namespace vantrel {

// Without a compositor helper a Wayland client gets no global shortcut: every one is refused, as
// the seam allows.
class NoHotKeys final : public HotKeyService {
  public:
    bool installHandler(Handler handler) override {
        Q_UNUSED(handler);
        return false;
    }
    void removeHandler() override {}
    bool registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) override {
        Q_UNUSED(id);
        Q_UNUSED(keyCode);
        Q_UNUSED(modifiers);
        return false;
    }
    void unregisterHotKey(quint32 id) override { Q_UNUSED(id); }
};

} // namespace vantrel
