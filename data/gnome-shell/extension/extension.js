/* Vantrel's helper in GNOME Shell: on a Wayland session only the compositor knows where the
 * pointer and the windows are, can picture the screen without a prompt and can take global
 * shortcuts. This extension offers those to the Vantrel application over the session bus
 * (helperService.js) and to nobody else (callerCheck.js). */
'use strict';

const Gio = imports.gi.Gio;
const Main = imports.ui.main;
const ExtensionUtils = imports.misc.extensionUtils;
const Me = ExtensionUtils.getCurrentExtension();
const { CallerCheck } = Me.imports.callerCheck;
const { HelperService, BUS_NAME } = Me.imports.helperService;
const { Shortcuts } = Me.imports.shortcuts;

class VantrelExtension {
    enable() {
        const metadata = Me.metadata;
        this._service = new HelperService(metadata['vantrel-version'],
            new CallerCheck(metadata['vantrel-executables']));
        this._shortcuts = new Shortcuts(ExtensionUtils.getSettings(),
            name => this._service.shortcutPressed(name));
        this._service.setClashes(this._shortcuts.clashes());
        // The name appears once the shell is ready to be asked, so its owner is the readiness.
        if (Main.layoutManager._startingUp) {
            this._startupId = Main.layoutManager.connect('startup-complete', () => {
                Main.layoutManager.disconnect(this._startupId);
                this._startupId = 0;
                // The shell opens the Overview at start; captures want the windows.
                Main.overview.hide();
                this._ownName();
            });
        } else {
            this._ownName();
        }
    }

    disable() {
        if (this._startupId)
            Main.layoutManager.disconnect(this._startupId);
        if (this._nameId)
            Gio.bus_unown_name(this._nameId);
        this._shortcuts?.destroy();
        this._service?.destroy();
        this._startupId = this._nameId = 0;
        this._shortcuts = this._service = null;
    }

    _ownName() {
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, BUS_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null);
    }
}

function init() {
    return new VantrelExtension();
}
