#pragma once

#include "../HotKeyService.h"

#include <QList>

#include <optional>

namespace vantrel {

class XcbConnection;

// Global shortcuts as key grabs on the root window. The seam's key codes (macOS ANSI positions)
// and modifier bits become X keycodes and modifier masks through X11Translation's one table; each
// shortcut is grabbed with every combination of Caps Lock and Num Lock (Mod2), so it works
// whichever of them is on.
class X11HotKeys final : public HotKeyService {
  public:
    explicit X11HotKeys(XcbConnection& connection);
    ~X11HotKeys() override;
    X11HotKeys(const X11HotKeys&) = delete;
    X11HotKeys& operator=(const X11HotKeys&) = delete;

    bool installHandler(Handler handler) override;
    void removeHandler() override;
    // False for a key outside the table, an unknown modifier bit, a combination registered here
    // already, or one another client holds (BadAccess); nothing stays grabbed then.
    bool registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) override;
    void unregisterHotKey(quint32 id) override;

  private:
    struct HotKey {
        quint32 id = 0;
        quint8 keycode = 0;
        quint16 modifiers = 0;
    };

    void ungrab(const HotKey& key, qsizetype variants);
    void handle(const void* event);

    XcbConnection& m_connection;
    Handler m_handler;
    QList<HotKey> m_hotKeys;
    std::optional<quint64> m_listener;
};

} // namespace vantrel
