/* Vantrel's two global shortcuts as GNOME Shell keybindings, and the shell's own bindings that
 * already use the same keys. */
'use strict';

const Gio = imports.gi.Gio;
const Meta = imports.gi.Meta;
const Shell = imports.gi.Shell;
const Main = imports.ui.main;

// The keys of the extension's schema; each is also the name the app receives on a press.
var SHORTCUT_KEYS = ['capture-window', 'capture-area'];

// Where GNOME keeps the keybindings a user can meet; a clash with one of them is reported.
const OTHER_BINDING_SCHEMAS = [
    'org.gnome.desktop.wm.keybindings',
    'org.gnome.shell.keybindings',
    'org.gnome.mutter.keybindings',
    'org.gnome.mutter.wayland.keybindings',
    'org.gnome.settings-daemon.plugins.media-keys',
];

const MODIFIER_NAMES = {
    control: 'ctrl', ctrl: 'ctrl', primary: 'ctrl', alt: 'alt', mod1: 'alt',
    shift: 'shift', super: 'super', mod4: 'super', meta: 'meta', hyper: 'hyper',
};

/* "<Control><Alt>c" and "<Alt><Primary>C" both give "alt+ctrl+c"; an unknown modifier is kept
 * as written, so it never matches by accident. */
function normaliseAccelerator(accelerator) {
    const modifiers = [];
    const rest = accelerator.replace(/<([^>]+)>/g, (_, name) => {
        const lower = name.toLowerCase();
        modifiers.push(MODIFIER_NAMES[lower] ?? lower);
        return '';
    });
    if (!rest)
        return '';
    return [...new Set(modifiers)].sort().concat(rest.toLowerCase()).join('+');
}

function accelerators(settings, key) {
    const value = settings.get_value(key);
    const type = value.get_type_string();
    if (type === 'as')
        return value.deepUnpack();
    return type === 's' ? [value.deepUnpack()] : [];
}

/* shortcut name -> "schema key" of another binding on the same keys, for each that has one. */
function findClashes(settings) {
    const ours = new Map();
    for (const key of SHORTCUT_KEYS) {
        for (const accelerator of accelerators(settings, key))
            ours.set(normaliseAccelerator(accelerator), key);
    }
    const clashes = {};
    const source = Gio.SettingsSchemaSource.get_default();
    for (const id of OTHER_BINDING_SCHEMAS) {
        const schema = source.lookup(id, true);
        if (!schema)
            continue;
        const other = new Gio.Settings({ settings_schema: schema });
        for (const key of schema.list_keys()) {
            for (const accelerator of accelerators(other, key)) {
                const name = ours.get(normaliseAccelerator(accelerator));
                if (name && !(name in clashes))
                    clashes[name] = `${id} ${key}`;
            }
        }
    }
    return clashes;
}

var Shortcuts = class Shortcuts {
    /* onPressed(name) runs on each press; failures to bind land in clashes(). */
    constructor(settings, onPressed) {
        this._settings = settings;
        this._clashes = findClashes(settings);
        this._bound = [];
        for (const key of SHORTCUT_KEYS) {
            const action = Main.wm.addKeybinding(key, settings, Meta.KeyBindingFlags.IGNORE_AUTOREPEAT,
                Shell.ActionMode.NORMAL | Shell.ActionMode.OVERVIEW,
                () => onPressed(key));
            if (action === Meta.KeyBindingAction.NONE)
                this._clashes[key] ??= 'the shell refused the keybinding';
            else
                this._bound.push(key);
        }
    }

    clashes() {
        return this._clashes;
    }

    destroy() {
        for (const key of this._bound)
            Main.wm.removeKeybinding(key);
        this._bound = [];
    }
};
