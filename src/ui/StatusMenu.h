#pragma once

#include <QList>
#include <QString>

namespace vantrel {

// What choosing a status-menu item does; the argument, when one is needed, is on the item.
enum class StatusMenuAction {
    none,
    setCaptureMode,
    setAgentPasteTarget,
    copyNow,
    copyRegion,
    openLatestBundle,
    showAbout,
    showOnboarding,
    openSettings,
    openProductPage,
    openDocumentation,
    openFeedbackPage,
    checkForUpdates,
    openMoreApps,
    quit,
};

struct StatusMenuItem {
    enum class Kind { item, separator };

    Kind kind = Kind::item;
    QString title;
    bool enabled = true;
    bool checked = false;
    QString key;      // a key equivalent such as "q"; empty for none
    QString iconName; // a symbol name; empty for none
    StatusMenuAction action = StatusMenuAction::none;
    QString argument; // the raw value a mode or agent item stands for
    QList<StatusMenuItem> submenu;

    static StatusMenuItem separator() {
        StatusMenuItem item;
        item.kind = Kind::separator;
        return item;
    }
    bool isSeparator() const { return kind == Kind::separator; }
    friend bool operator==(const StatusMenuItem&, const StatusMenuItem&) = default;
};

// The status menu as data, top to bottom: built afresh on every change, then shown by a view.
struct StatusMenu {
    QList<StatusMenuItem> items;
    friend bool operator==(const StatusMenu&, const StatusMenu&) = default;
};

} // namespace vantrel
