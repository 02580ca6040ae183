#pragma once

#include "StatusMenu.h"

#include <QString>

#include <optional>

namespace vantrel {

// The status menu as a desktop shell draws it itself (GNOME's top bar): one JSON text of the
// items top to bottom, each {"id", "title", "enabled", "checked"} with its "submenu", or
// {"separator": true}. Ids name the menu's generation and the item's place, "7/1/2", so a
// choice made in a menu that has been replaced since is recognised as stale.
struct StatusMenuWire {
    static QString serialise(const StatusMenu& menu, quint64 generation);
    // The item an id of serialise(menu, generation) stands for; none for an id of another
    // generation, a separator, a submenu's own title, a disabled item or no item at all.
    static std::optional<StatusMenuItem> chosen(const StatusMenu& menu, quint64 generation,
                                                const QString& id);
};

} // namespace vantrel
