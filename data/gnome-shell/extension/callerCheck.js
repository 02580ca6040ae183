/* Who may call the helper: only processes running one of Vantrel's executables.
 *
 * A D-Bus interface an extension exports has no access control of its own, and the session bus
 * lets any program of the user call it. The bus tells which process owns the calling connection;
 * /proc tells which executable that process runs. The allowed paths come from metadata.json,
 * which the installation writes into a folder only an administrator can change. */
'use strict';

const Gio = imports.gi.Gio;
const GLib = imports.gi.GLib;

var ERROR_ACCESS_DENIED = 'com.vantrel.Vantrel.ShellHelper.Error.AccessDenied';

var CallerCheck = class CallerCheck {
    constructor(allowedExecutables) {
        this._allowed = new Set(allowedExecutables);
    }

    /* Resolves with nothing when the sender may call; rejects with an Error whose message says
     * why not, ready to be returned over D-Bus. */
    async check(sender) {
        const pid = await this._pidOf(sender);
        let executable;
        try {
            executable = GLib.file_read_link(`/proc/${pid}/exe`);
        } catch (e) {
            // Another user's process, or one that has exited since it called.
            throw new Error(`The calling process ${pid} cannot be identified: ${e.message}`);
        }
        // A replaced binary reads as "PATH (deleted)" and matches nothing, as it should.
        if (!this._allowed.has(executable))
            throw new Error(`Only Vantrel may use this interface; ${executable} is not Vantrel.`);
    }

    _pidOf(sender) {
        return new Promise((resolve, reject) => {
            Gio.DBus.session.call('org.freedesktop.DBus', '/org/freedesktop/DBus',
                'org.freedesktop.DBus', 'GetConnectionUnixProcessID',
                new GLib.Variant('(s)', [sender]), new GLib.VariantType('(u)'),
                Gio.DBusCallFlags.NONE, -1, null, (connection, result) => {
                    try {
                        resolve(connection.call_finish(result).deepUnpack()[0]);
                    } catch (e) {
                        reject(new Error(`The bus does not know the caller ${sender}: ${e.message}`));
                    }
                });
        });
    }
};
