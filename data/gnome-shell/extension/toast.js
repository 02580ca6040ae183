/* The capture's confirmation drawn by the shell: a Wayland client cannot place its own window
 * under the pointer. Same look and place as the app's own toast on X11: a dark capsule 44
 * pixels high, as wide as its text plus 48 (220 to 460), centred on the monitor under the
 * pointer, 96 pixels above the bottom of that monitor's work area, for 1.8 s from the latest
 * show. */
'use strict';

const Clutter = imports.gi.Clutter;
const GLib = imports.gi.GLib;
const St = imports.gi.St;
const Main = imports.ui.main;

const HEIGHT = 44;
const PADDING = 48;
const MIN_WIDTH = 220;
const MAX_WIDTH = 460;
const BOTTOM_MARGIN = 96;
const VISIBLE_MS = 1800;

var Toast = class Toast {
    constructor() {
        this._label = null;
        this._timeout = 0;
        this._last = { text: '', frame: [0, 0, 0, 0] };
    }

    show(text) {
        this._hide();
        this._label = new St.Label({
            text,
            style: 'background-color: rgba(30, 30, 30, 0.9); color: white; border-radius: 22px; ' +
                'font-size: 14px; text-align: center;',
            y_align: Clutter.ActorAlign.CENTER,
        });
        this._label.clutter_text.y_align = Clutter.ActorAlign.CENTER;
        // The pointer passes through it, as through the app's own toast.
        Main.layoutManager.addTopChrome(this._label, { affectsInputRegion: false });
        const [, natural] = this._label.get_preferred_width(-1);
        const width = Math.min(MAX_WIDTH, Math.max(MIN_WIDTH, Math.ceil(natural) + PADDING));
        const monitor = global.display.get_current_monitor();
        const area = Main.layoutManager.getWorkAreaForMonitor(monitor);
        const x = area.x + Math.round((area.width - width) / 2);
        const y = area.y + area.height - BOTTOM_MARGIN - HEIGHT;
        this._label.set_size(width, HEIGHT);
        this._label.set_position(x, y);
        this._last = { text, frame: [x, y, width, HEIGHT] };
        this._timeout = GLib.timeout_add(GLib.PRIORITY_DEFAULT, VISIBLE_MS, () => {
            this._timeout = 0;
            this._hide();
            return GLib.SOURCE_REMOVE;
        });
    }

    /* The latest toast's text and frame, and whether it is still on screen. */
    latest() {
        return { ...this._last, visible: this._label !== null };
    }

    destroy() {
        this._hide();
    }

    _hide() {
        if (this._timeout)
            GLib.source_remove(this._timeout);
        this._timeout = 0;
        this._label?.destroy();
        this._label = null;
    }
};
