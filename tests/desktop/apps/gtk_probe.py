#!/usr/bin/python3
"""A GTK 3 window with known widgets, position and colours for the desktop tests.

Once the window is mapped, in place and drawn it prints one line on stdout:
  ready paint=X,Y,W,H window=X,Y,W,H
(root coordinates; window is the client area without the window manager's frame; on Wayland,
where no client knows its place, both are relative to the window's surface).
It exits when stdin closes, so it never outlives the test that started it.
"""
import argparse
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
gi.require_version("GdkX11", "3.0")
from gi.repository import Gdk, GdkX11, GLib, Gtk  # noqa: E402

PAINT_COLOUR = "#1e90ff"
SECRET = "hunter2-secret-pass"

# The label takes the button's colour too, so every pixel of the button is the known one.
CSS = f"""
#paint, #paint:hover, #paint:active, #paint:focus, #paint:backdrop {{
    background-image: none;
    background-color: {PAINT_COLOUR};
    color: {PAINT_COLOUR};
    border: none;
    box-shadow: none;
    outline: none;
    text-shadow: none;
    -gtk-icon-shadow: none;
}}
"""


def size(text):
    width, _, height = text.partition("x")
    return int(width), int(height)


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--title", default="Vantrel Probe")
    parser.add_argument("--x", type=int, default=120)
    parser.add_argument("--y", type=int, default=90)
    parser.add_argument("--size", type=size, default=(800, 600), metavar="WxH")
    parser.add_argument("--rows", type=int, default=40)
    parser.add_argument("--nodes", type=int, default=0,
                        help="show a grid of this many labels instead of the list")
    parser.add_argument("--undecorated", action="store_true")
    parser.add_argument("--maximized", action="store_true",
                        help="fill the screen; ready once the window manager has maximised it")
    parser.add_argument("--empty", action="store_true",
                        help="a window with no widgets in it (paint is then 0,0,0,0)")
    parser.add_argument("--type-hint", default="normal",
                        help="the window's type as GDK names it (dock: a panel)")
    return parser.parse_args()


def toolbar():
    bar = Gtk.Toolbar()
    bar.set_style(Gtk.ToolbarStyle.TEXT)
    for label in ("Open", "Save"):
        bar.insert(Gtk.ToolButton(label=label), -1)
    return bar


def paint_button():
    button = Gtk.Button(label="Paint")
    button.set_name("paint")
    button.set_size_request(160, 60)
    button.set_can_focus(False)
    button.set_halign(Gtk.Align.START)
    button.set_valign(Gtk.Align.START)
    return button


def entries():
    box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL, spacing=6)
    entry = Gtk.Entry()
    entry.set_text("hello entry")
    password = Gtk.Entry()
    password.set_visibility(False)
    password.set_text(SECRET)
    box.pack_start(entry, False, False, 0)
    box.pack_start(password, False, False, 0)
    return box


def row_list(rows):
    rows_box = Gtk.ListBox()
    for number in range(1, rows + 1):
        label = Gtk.Label(label=f"Row {number}")
        label.set_xalign(0)
        rows_box.add(label)
    return rows_box


def label_grid(nodes):
    grid = Gtk.Grid()
    for index in range(nodes):
        grid.attach(Gtk.Label(label=f"Cell {index + 1}"), index % 20, index // 20, 1, 1)
    return grid


def scrolled(child):
    window = Gtk.ScrolledWindow()
    window.set_policy(Gtk.PolicyType.AUTOMATIC, Gtk.PolicyType.AUTOMATIC)
    window.add(child)
    return window


class Probe:
    def __init__(self, options):
        self.options = options
        self.reported = False
        self.window = Gtk.Window(title=options.title)
        self.paint = paint_button()
        self.build()
        self.place()

    def build(self):
        if self.options.empty:
            return
        top = Gtk.Box(orientation=Gtk.Orientation.HORIZONTAL, spacing=12)
        top.set_border_width(12)
        top.pack_start(self.paint, False, False, 0)
        top.pack_start(entries(), True, True, 0)
        if self.options.nodes:
            content = label_grid(self.options.nodes)
        else:
            content = row_list(self.options.rows)
        layout = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
        layout.pack_start(toolbar(), False, False, 0)
        layout.pack_start(top, False, False, 0)
        layout.pack_start(scrolled(content), True, True, 0)
        self.window.add(layout)

    def place(self):
        width, height = self.options.size
        window = self.window
        window.set_decorated(not self.options.undecorated)
        window.set_type_hint(getattr(Gdk.WindowTypeHint, self.options.type_hint.upper()))
        window.connect("destroy", Gtk.main_quit)
        window.connect("realize", self.on_realized)
        window.connect("configure-event", self.on_configured)
        if self.options.maximized:
            window.maximize()
            return
        # Static gravity makes the position the client area's, whatever frame openbox adds.
        hints = Gdk.Geometry()
        hints.win_gravity = Gdk.Gravity.STATIC
        hints.min_width = hints.max_width = width
        hints.min_height = hints.max_height = height
        window.set_geometry_hints(None, hints,
                                  Gdk.WindowHints.MIN_SIZE | Gdk.WindowHints.MAX_SIZE
                                  | Gdk.WindowHints.WIN_GRAVITY | Gdk.WindowHints.USER_POS
                                  | Gdk.WindowHints.USER_SIZE)
        window.set_default_size(width, height)
        window.resize(width, height)
        window.move(self.options.x, self.options.y)

    def on_realized(self, *_):
        self.window.get_frame_clock().connect("after-paint", self.on_painted)

    def on_painted(self, *_):
        # After the frame's pixels reach the server, not while they are being drawn.
        GLib.idle_add(self.report_when_placed, priority=GLib.PRIORITY_LOW)

    def on_configured(self, *_):
        if self.window.get_mapped():
            self.window.queue_draw()
        return False

    def client_rect(self):
        gdk_window = self.window.get_window()
        x, y = gdk_window.get_origin()[1:]
        return x, y, gdk_window.get_width(), gdk_window.get_height()

    def paint_rect(self):
        if self.options.empty:
            return 0, 0, 0, 0
        allocation = self.paint.get_allocation()
        x, y = self.paint.translate_coordinates(self.window, 0, 0)
        origin_x, origin_y = self.client_rect()[:2]
        return origin_x + x, origin_y + y, allocation.width, allocation.height

    def report_when_placed(self):
        if self.reported or not self.window.get_mapped():
            return False
        client = self.client_rect()
        wanted = (self.options.x, self.options.y) + self.options.size
        # On Wayland the compositor places windows; a client neither chooses nor knows where.
        if not isinstance(Gdk.Display.get_default(), GdkX11.X11Display):
            wanted = client[:2] + self.options.size
        if self.options.maximized:
            wanted = client if self.window.is_maximized() else None
        if client != wanted:
            print(f"waiting: client area {client}, want {wanted}", file=sys.stderr, flush=True)
            return False
        Gdk.Display.get_default().sync()
        self.reported = True
        print("ready paint=%d,%d,%d,%d window=%d,%d,%d,%d" % (self.paint_rect() + client),
              flush=True)
        return False


def quit_when_stdin_closes():
    def on_input(channel, condition):
        if condition & (GLib.IO_HUP | GLib.IO_ERR) or not channel.read(4096):
            Gtk.main_quit()
            return False
        return True

    channel = GLib.IOChannel.unix_new(sys.stdin.fileno())
    channel.set_encoding(None)
    GLib.io_add_watch(channel, GLib.PRIORITY_DEFAULT,
                      GLib.IO_IN | GLib.IO_HUP | GLib.IO_ERR, on_input)


def main():
    options = parse_arguments()
    provider = Gtk.CssProvider()
    provider.load_from_data(CSS.encode())
    Gtk.StyleContext.add_provider_for_screen(Gdk.Screen.get_default(), provider,
                                             Gtk.STYLE_PROVIDER_PRIORITY_APPLICATION)
    probe = Probe(options)
    quit_when_stdin_closes()
    probe.window.show_all()
    Gtk.main()


if __name__ == "__main__":
    main()
