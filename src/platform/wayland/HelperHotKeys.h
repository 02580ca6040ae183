#pragma once

#include "../CompositorHelper.h"
#include "../HotKeyService.h"

#include <QHash>

namespace vantrel {

// The global shortcuts on Wayland: keybindings the compositor's helper holds (GNOME: the
// extension's settings schema), so only the combinations it binds can be registered here.
class HelperHotKeys final : public HotKeyService {
  public:
    explicit HelperHotKeys(CompositorHelper& helper) : m_helper(helper) {}

    bool installHandler(Handler handler) override;
    void removeHandler() override;
    // True for Ctrl+Alt+C and Ctrl+Alt+R, the helper's two shortcuts, unless they clash.
    bool registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) override;
    void unregisterHotKey(quint32 id) override;

    // The helper's name of a key combination; empty for one it does not bind.
    static QString shortcutName(quint32 keyCode, quint32 modifiers);

  private:
    void pressed(const QString& shortcut);

    CompositorHelper& m_helper;
    Handler m_handler;
    bool m_watching = false;
    QMap<QString, QString> m_clashes;
    QHash<QString, quint32> m_ids; // shortcut name -> registered id
};

} // namespace vantrel
