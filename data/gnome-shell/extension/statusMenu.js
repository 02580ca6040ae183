/* Vantrel's status menu as a button in the top bar. GNOME shows no tray icons, so the app sends
 * its menu here (SetMenu: a JSON list of items, see helperService.js) and hears back which item
 * was chosen (MenuItemActivated). The button belongs to the one Vantrel process that sent the
 * menu and goes when that process leaves the bus, so a dead menu is never left behind. */
'use strict';

const Gio = imports.gi.Gio;
const GObject = imports.gi.GObject;
const St = imports.gi.St;
const Main = imports.ui.main;
const PanelMenu = imports.ui.panelMenu;
const PopupMenu = imports.ui.popupMenu;

const STATUS_AREA_ROLE = 'vantrel';

/* Whether items is a list of items as the wire has them: checked before the shown menu is
 * touched, so a malformed menu never replaces a good one half-way. */
function isMenu(items) {
    return Array.isArray(items) && items.every(item =>
        item !== null && typeof item === 'object' &&
        (item.separator === true ||
         (typeof item.title === 'string' && typeof item.id === 'string' &&
          (item.submenu === undefined || isMenu(item.submenu)))));
}

/* The wire's items into a popup menu; choosing one calls onChosen with its id. */
function addItems(menu, items, onChosen) {
    for (const item of items) {
        let entry;
        if (item.separator) {
            entry = new PopupMenu.PopupSeparatorMenuItem();
        } else if (item.submenu) {
            entry = new PopupMenu.PopupSubMenuMenuItem(item.title);
            addItems(entry.menu, item.submenu, onChosen);
        } else {
            entry = new PopupMenu.PopupMenuItem(item.title);
            entry.setOrnament(item.checked ? PopupMenu.Ornament.CHECK : PopupMenu.Ornament.NONE);
            entry.connect('activate', () => onChosen(item.id));
        }
        if (!item.separator) {
            entry.setSensitive(item.enabled !== false);
            entry._vantrelId = item.id;
        }
        menu.addMenuItem(entry);
    }
}

/* The menu as the shell shows it, read back from its items in the wire's shape. */
function describe(menu) {
    return menu._getMenuItems().map(entry => {
        if (entry instanceof PopupMenu.PopupSeparatorMenuItem)
            return { separator: true };
        const shown = {
            id: entry._vantrelId,
            title: entry.label.text,
            enabled: entry.getSensitive(),
            checked: entry._ornament === PopupMenu.Ornament.CHECK,
        };
        if (entry instanceof PopupMenu.PopupSubMenuMenuItem)
            shown.submenu = describe(entry.menu);
        return shown;
    });
}

function findItem(menu, id) {
    for (const entry of menu._getMenuItems()) {
        if (entry._vantrelId === id)
            return entry;
        const inner = entry.menu ? findItem(entry.menu, id) : null;
        if (inner)
            return inner;
    }
    return null;
}

var StatusMenu = class StatusMenu {
    /* onChosen(owner, id) runs when the user chooses an item of owner's menu. */
    constructor(onChosen) {
        this._onChosen = onChosen;
        this._owner = null;
        this._watch = 0;
        this._button = null;
    }

    /* Shows owner's menu; a menu from another Vantrel process replaces it. Throws on a menu
     * that is not a list of items. */
    set(owner, items) {
        if (!isMenu(items))
            throw new TypeError('The menu is not a list of items.');
        if (owner !== this._owner) {
            this.remove();
            this._owner = owner;
            // A unique name never comes back once its process has gone.
            this._watch = Gio.bus_watch_name_on_connection(Gio.DBus.session, owner,
                Gio.BusNameWatcherFlags.NONE, null, () => this.remove());
        }
        if (!this._button) {
            this._button = new PanelMenu.Button(0.0, 'Vantrel');
            this._button.add_child(new St.Icon({
                icon_name: 'camera-photo-symbolic',
                style_class: 'system-status-icon',
            }));
            Main.panel.addToStatusArea(STATUS_AREA_ROLE, this._button);
        }
        this._button.menu.removeAll();
        addItems(this._button.menu, items, id => this._onChosen(this._owner, id));
    }

    /* What the top bar shows, or null when there is no button. */
    shown() {
        const button = Main.panel.statusArea[STATUS_AREA_ROLE];
        return button ? describe(button.menu) : null;
    }

    /* Chooses an item as a click would; false when there is no such item. */
    choose(id) {
        const entry = this._button ? findItem(this._button.menu, id) : null;
        if (!entry || !entry.getSensitive() || entry.menu)
            return false;
        entry.activate(null);
        return true;
    }

    remove() {
        if (this._watch)
            Gio.bus_unwatch_name(this._watch);
        this._button?.destroy();
        this._watch = 0;
        this._button = this._owner = null;
    }
};
