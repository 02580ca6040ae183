/* The helper's D-Bus interface: what only the compositor knows, for Vantrel alone.
 * Coordinates are the stage's logical pixels, origin at the top-left of the first monitor's
 * layout. Every method but Version checks its caller first (callerCheck.js). */
'use strict';

const Gio = imports.gi.Gio;
const GLib = imports.gi.GLib;
const Meta = imports.gi.Meta;
const Shell = imports.gi.Shell;
const Me = imports.misc.extensionUtils.getCurrentExtension();
const { ERROR_ACCESS_DENIED } = Me.imports.callerCheck;
const { StatusMenu } = Me.imports.statusMenu;
const { Toast } = Me.imports.toast;

var BUS_NAME = 'com.vantrel.Vantrel.ShellHelper';
var OBJECT_PATH = '/com/vantrel/Vantrel/ShellHelper';
const INTERFACE = 'com.vantrel.Vantrel.ShellHelper';
const ERROR_INVALID_ARGS = 'org.freedesktop.DBus.Error.InvalidArgs';
const ERROR_FAILED = 'org.freedesktop.DBus.Error.Failed';
// Larger areas are refused rather than allocated.
const MAX_PICTURE_SIDE = 32768;

const INTERFACE_XML = `
<node>
  <interface name="${INTERFACE}">
    <method name="Version">
      <arg type="s" direction="out" name="version"/>
    </method>
    <method name="Pointer">
      <arg type="i" direction="out" name="x"/>
      <arg type="i" direction="out" name="y"/>
    </method>
    <method name="Monitors">
      <arg type="a(iiiid)" direction="out" name="monitors"/>
    </method>
    <method name="Windows">
      <arg type="aa{sv}" direction="out" name="windows"/>
    </method>
    <method name="PictureOfArea">
      <arg type="i" direction="in" name="x"/>
      <arg type="i" direction="in" name="y"/>
      <arg type="i" direction="in" name="width"/>
      <arg type="i" direction="in" name="height"/>
      <arg type="h" direction="in" name="png"/>
    </method>
    <method name="WatchShortcuts">
      <arg type="a{ss}" direction="out" name="clashes"/>
    </method>
    <signal name="ShortcutPressed">
      <arg type="s" name="shortcut"/>
    </signal>
    <method name="SetMenu">
      <arg type="s" direction="in" name="menu"/>
    </method>
    <method name="Menu">
      <arg type="s" direction="out" name="menu"/>
    </method>
    <method name="ActivateMenuItem">
      <arg type="s" direction="in" name="id"/>
    </method>
    <signal name="MenuItemActivated">
      <arg type="s" name="id"/>
    </signal>
    <method name="ShowToast">
      <arg type="s" direction="in" name="text"/>
    </method>
    <method name="Toast">
      <arg type="s" direction="out" name="text"/>
      <arg type="(iiii)" direction="out" name="frame"/>
      <arg type="b" direction="out" name="visible"/>
    </method>
  </interface>
</node>`;

function rectangle(rect) {
    return new GLib.Variant('(iiii)', [rect.x, rect.y, rect.width, rect.height]);
}

/* One entry of Windows(): the window as the compositor places it. */
function describeWindow(window, focused) {
    const isX11 = window.get_client_type() === Meta.WindowClientType.X11;
    return {
        id: new GLib.Variant('t', window.get_id()),
        title: new GLib.Variant('s', window.get_title() ?? ''),
        pid: new GLib.Variant('i', window.get_pid()),
        wmClass: new GLib.Variant('s', window.get_wm_class() ?? ''),
        frame: rectangle(window.get_frame_rect()),
        buffer: rectangle(window.get_buffer_rect()),
        client: new GLib.Variant('s', isX11 ? 'x11' : 'wayland'),
        focused: new GLib.Variant('b', window === focused),
        maximized: new GLib.Variant('b', window.get_maximized() === Meta.MaximizeFlags.BOTH),
    };
}

var HelperService = class HelperService {
    constructor(version, callerCheck) {
        this._version = version;
        this._callerCheck = callerCheck;
        // Unique bus name of each Vantrel process that asked for the shortcut signal -> the watch
        // that forgets it when it leaves the bus.
        this._watchers = new Map();
        // The chosen item's id goes to the menu's owner alone.
        this._statusMenu = new StatusMenu((owner, id) => Gio.DBus.session.emit_signal(owner,
            OBJECT_PATH, INTERFACE, 'MenuItemActivated', new GLib.Variant('(s)', [id])));
        this._toast = new Toast();
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE_XML, this);
        this._object.export(Gio.DBus.session, OBJECT_PATH);
    }

    destroy() {
        for (const watch of this._watchers.values())
            Gio.bus_unwatch_name(watch);
        this._watchers.clear();
        this._statusMenu.remove();
        this._toast.destroy();
        this._object.unexport();
    }

    /* A press goes to the Vantrel processes watching, never to the whole bus. */
    shortcutPressed(name) {
        for (const watcher of this._watchers.keys()) {
            Gio.DBus.session.emit_signal(watcher, OBJECT_PATH, INTERFACE, 'ShortcutPressed',
                new GLib.Variant('(s)', [name]));
        }
    }

    // The version is no secret: an app of another version asks it to say so.
    VersionAsync(_, invocation) {
        invocation.return_value(new GLib.Variant('(s)', [this._version]));
    }

    PointerAsync(_, invocation) {
        this._answer(invocation, () => {
            const [x, y] = global.get_pointer();
            return new GLib.Variant('(ii)', [x, y]);
        });
    }

    /* Each monitor's x, y, width, height and scale, the primary first. */
    MonitorsAsync(_, invocation) {
        this._answer(invocation, () => {
            const display = global.display;
            const primary = display.get_primary_monitor();
            const order = [...Array(display.get_n_monitors()).keys()]
                .sort((a, b) => (b === primary) - (a === primary) || a - b);
            return new GLib.Variant('(a(iiiid))', [order.map(index => {
                const area = display.get_monitor_geometry(index);
                return [area.x, area.y, area.width, area.height, display.get_monitor_scale(index)];
            })]);
        });
    }

    /* Front to back; minimised windows and those of other workspaces are not on screen. X11
     * windows that no window manager manages (override-redirect: the shell's own hidden 1×1
     * window once Xwayland runs, menus, tooltips) are not windows a user means, as on X11. */
    WindowsAsync(_, invocation) {
        this._answer(invocation, () => {
            const workspace = global.workspace_manager.get_active_workspace();
            const shown = global.get_window_actors()
                .map(actor => actor.get_meta_window())
                // A window going away keeps its actor a little longer, without a window.
                .filter(w => w && !w.minimized && !w.is_override_redirect() &&
                    w.located_on_workspace(workspace))
                .reverse();
            const focused = global.display.get_focus_window();
            return new GLib.Variant('(aa{sv})', [shown.map(w => describeWindow(w, focused))]);
        });
    }

    /* A PNG of the area written to the file the caller passed: the caller makes an anonymous
     * file (memfd), so the picture never lands on disk, nobody else can open it, and neither
     * side waits on the other as it would with a pipe. */
    PictureOfAreaAsync([x, y, width, height, fdIndex], invocation) {
        this._answer(invocation, () => {
            if (width <= 0 || height <= 0 || width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE)
                return { error: ERROR_INVALID_ARGS, message: `No picture of ${width}×${height} pixels.` };
            const fdList = invocation.get_message().get_unix_fd_list();
            const stream = new Gio.UnixOutputStream({ fd: fdList.get(fdIndex), close_fd: true });
            new Shell.Screenshot().screenshot_area(x, y, width, height, stream, (shooter, result) => {
                try {
                    shooter.screenshot_area_finish(result);
                    stream.close(null);
                    invocation.return_value(null);
                } catch (e) {
                    stream.close(null);
                    invocation.return_dbus_error(ERROR_FAILED, `The picture failed: ${e.message}`);
                }
            });
            return null;
        });
    }

    /* Subscribes the caller to ShortcutPressed; answers which shortcuts clash with what. */
    WatchShortcutsAsync(_, invocation) {
        this._answer(invocation, () => {
            this._watch(invocation.get_sender());
            return new GLib.Variant('(a{ss})', [this._clashes ?? {}]);
        });
    }

    /* Shows the caller's status menu in the top bar, in place of any other: a JSON list of
     * items, each {id, title, enabled, checked, submenu} or {separator: true}. */
    SetMenuAsync([menu], invocation) {
        this._answer(invocation, () => {
            let items;
            try {
                items = JSON.parse(menu);
                this._statusMenu.set(invocation.get_sender(), items);
            } catch (e) {
                return { error: ERROR_INVALID_ARGS, message: `No menu: ${e.message}` };
            }
            return new GLib.Variant('()', []);
        });
    }

    /* What the top bar shows, read back from the shell's own menu items; "null" without one. */
    MenuAsync(_, invocation) {
        this._answer(invocation, () =>
            new GLib.Variant('(s)', [JSON.stringify(this._statusMenu.shown())]));
    }

    /* Chooses an item as a click in the top bar would. */
    ActivateMenuItemAsync([id], invocation) {
        this._answer(invocation, () => this._statusMenu.choose(id)
            ? new GLib.Variant('()', [])
            : { error: ERROR_INVALID_ARGS, message: `No item ${id} to choose.` });
    }

    ShowToastAsync([text], invocation) {
        this._answer(invocation, () => {
            this._toast.show(text);
            return new GLib.Variant('()', []);
        });
    }

    /* The latest toast: its text, its frame and whether it is still on screen. */
    ToastAsync(_, invocation) {
        this._answer(invocation, () => {
            const { text, frame, visible } = this._toast.latest();
            return new GLib.Variant('(s(iiii)b)', [text, frame, visible]);
        });
    }

    /* A unique name never comes back once its process has gone. */
    _watch(sender) {
        if (this._watchers.has(sender))
            return;
        const watch = Gio.bus_watch_name_on_connection(Gio.DBus.session, sender,
            Gio.BusNameWatcherFlags.NONE, null, () => {
                Gio.bus_unwatch_name(watch);
                this._watchers.delete(sender);
            });
        this._watchers.set(sender, watch);
    }

    setClashes(clashes) {
        this._clashes = clashes;
    }

    /* Runs answer() once the caller is known to be Vantrel. It gives a reply, or
     * {error, message}, or null when it replies later itself. */
    _answer(invocation, answer) {
        this._callerCheck.check(invocation.get_sender()).then(() => {
            let reply;
            try {
                reply = answer();
            } catch (e) {
                invocation.return_dbus_error(ERROR_FAILED, e.message);
                return;
            }
            if (reply instanceof GLib.Variant)
                invocation.return_value(reply);
            else if (reply)
                invocation.return_dbus_error(reply.error, reply.message);
        }, e => invocation.return_dbus_error(ERROR_ACCESS_DENIED, e.message));
    }
};
