#pragma once

#include <QtGlobal>

#include <functional>

namespace vantrel {

// System-wide key combinations. A press of a registered combination reaches the handler with the
// id it was registered under.
class HotKeyService {
  public:
    using Handler = std::function<void(quint32 id)>;

    virtual ~HotKeyService() = default;

    // False when the handler cannot be installed.
    virtual bool installHandler(Handler handler) = 0;
    virtual void removeHandler() = 0;
    // Key codes are physical positions (ANSI layout); modifiers use the control 0x1000 and
    // option 0x0800 bits. False when the system refuses the combination.
    virtual bool registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) = 0;
    virtual void unregisterHotKey(quint32 id) = 0;
};

} // namespace vantrel
