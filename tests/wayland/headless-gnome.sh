#!/usr/bin/env bash
# Starts and stops a private headless GNOME Shell on Wayland for the Wayland tests: a session
# D-Bus, a stand-in system bus, the AT-SPI bus and gnome-shell with Vantrel's extension, all in
# STATE_DIR and run as an unprivileged user, so nothing reaches the user's display or home.
#
#   headless-gnome.sh start STATE_DIR EXTENSION_DIR [FILE...]   # then: . STATE_DIR/env
#   headless-gnome.sh layout STATE_DIR single|side-by-side|stacked
#   headless-gnome.sh stop STATE_DIR
#
# The FILEs (test binaries, Vantrel, test applications) are copied into STATE_DIR/bin, and the
# extension allows those copies of Vantrel and of the test binaries as its callers. GNOME Shell
# refuses to run as root: run as root, this script runs the desktop as the system user
# vantrel-test (`make wayland-deps` creates it), which is why everything it needs is copied to
# where that user can read it.
set -Eeuo pipefail

DEADLINE_SECONDS=${HEADLESS_GNOME_DEADLINE:-60}
readonly MARKER=.headless-gnome
readonly TEST_USER=vantrel-test
readonly EXTENSION_UUID=vantrel@quendale.com
readonly HELPER_NAME=com.vantrel.Vantrel.ShellHelper
readonly SCREEN=1440x900
# A second virtual monitor, off in the single layout every test but the multi-monitor ones sees:
# switching layouts in the running shell costs far less than starting another shell.
readonly SECOND_SCREEN=1280x1024

say() { echo "headless-gnome: $*" >&2; }

usage() {
    echo "usage: $0 start STATE_DIR EXTENSION_DIR [FILE...] | layout STATE_DIR NAME |" \
        "stop STATE_DIR" >&2
    exit 2
}

# shellcheck source=../support/fixture-processes.sh
. "$(dirname "${BASH_SOURCE[0]}")/../support/fixture-processes.sh"

desktop_service_pids() {
    local session accessibility
    session=$(sed -n 1p "$STATE/dbus.out" 2>/dev/null || true)
    [[ -n $session ]] || return 0
    accessibility=$(gdbus call --address "$session" --dest org.a11y.Bus \
        --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress 2>/dev/null |
        sed -n "s/^('\(.*\)',)$/\1/p")
    bus_service_pids "$session"
    [[ -z $accessibility ]] || bus_service_pids "$accessibility"
}

# Ends the desktop, then removes the X displays the shell took for its Xwayland (/tmp/.X<n>-lock
# holding the shell's pid, and the socket /tmp/.X11-unix/X<n>), which a killed shell leaves behind.
terminate_desktop() {
    local shell lock display
    shell=$(awk '$2 == "gnome-shell" {print $1}' "$STATE/pids" 2>/dev/null || true)
    terminate
    [[ -n $shell ]] || return 0
    for lock in /tmp/.X*-lock; do
        [[ -O $lock && $(tr -d ' \n' <"$lock" 2>/dev/null) == "$shell" ]] || continue
        display=${lock#/tmp/.X}
        display=${display%-lock}
        [[ -O /tmp/.X11-unix/X$display ]] && rm -f "/tmp/.X11-unix/X$display"
        rm -f "$lock"
    done
    return 0
}

# Root hands the rest of the work to the test user, running the copy of this script in STATE/bin.
as_test_user() {
    if ((EUID != 0)); then
        "$@"
        return
    fi
    runuser -u "$TEST_USER" -- "$@"
}

stop() {
    [[ -d $1 ]] || return 0
    resolve_state "$1"
    if [[ ! -e $STATE/$MARKER ]]; then
        if [[ -z $(ls -A "$STATE") ]]; then
            rmdir "$STATE"
            return 0
        fi
        say "$STATE is not a headless GNOME's state dir; leaving it alone"
        exit 1
    fi
    if [[ -x $STATE/bin/headless-gnome.sh && $(stat -c %u "$STATE") != "$EUID" ]]; then
        as_test_user "$STATE/bin/headless-gnome.sh" terminate "$STATE"
    else
        terminate_desktop
    fi
    rm -rf "$STATE"
}

helper_answers() {
    gdbus call --session --dest "$HELPER_NAME" --object-path /com/vantrel/Vantrel/ShellHelper \
        --method com.vantrel.Vantrel.ShellHelper.Version
}

# Only the private desktop's variables reach what this script starts.
isolate_environment() {
    unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS
    unset AT_SPI_BUS_ADDRESS GTK_A11Y SESSION_MANAGER XAUTHORITY
    export XDG_RUNTIME_DIR=$STATE/runtime
    export HOME=$STATE/home
    export XDG_CONFIG_HOME=$HOME/.config
    export XDG_CACHE_HOME=$HOME/.cache
    export XDG_DATA_HOME=$HOME/.local/share
    export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland XDG_SESSION_DESKTOP=gnome
    # Settings live in a file of the private home; no dconf service is needed.
    export GSETTINGS_BACKEND=keyfile
    export NO_AT_BRIDGE=0 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    export GDK_BACKEND=wayland QT_QPA_PLATFORM=wayland
    mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" \
        "$XDG_RUNTIME_DIR"
    chmod 0700 "$XDG_RUNTIME_DIR"
}

# The extension enabled, no welcome tour, assistive technologies on, and no animations, so a
# window is whole on screen once it is mapped. One of GNOME's own keybindings takes Ctrl+Alt+R,
# spelled otherwise, so that the tests see the extension report a clash.
write_settings() {
    cat >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile" <<SETTINGS
[org/gnome/shell]
enabled-extensions=['$EXTENSION_UUID']
disable-user-extensions=false
welcome-dialog-last-shown-version='999'

[org/gnome/desktop/interface]
toolkit-accessibility=true
enable-animations=false

[org/gnome/desktop/wm/keybindings]
switch-to-workspace-last=['<Alt><Primary>r']
SETTINGS
}

# GNOME Shell's login-manager code needs a system bus; this one lets its own user (the only one
# who may connect) do anything, and activates nothing.
start_system_bus() {
    cat >"$STATE/system-bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path=$XDG_RUNTIME_DIR/system-bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
    dbus-daemon --config-file="$STATE/system-bus.conf" --fork --print-address=1 --print-pid=1 \
        </dev/null >"$STATE/system-bus.out" 2>"$STATE/system-bus.log"
    DBUS_SYSTEM_BUS_ADDRESS=$(sed -n 1p "$STATE/system-bus.out")
    export DBUS_SYSTEM_BUS_ADDRESS
    record "$(sed -n 2p "$STATE/system-bus.out")" dbus-daemon
}

start_session_bus() {
    dbus-daemon --session --fork --address="unix:path=$XDG_RUNTIME_DIR/bus" \
        --print-address=1 --print-pid=1 </dev/null >"$STATE/dbus.out" 2>"$STATE/dbus.log"
    DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$STATE/dbus.out")
    export DBUS_SESSION_BUS_ADDRESS
    record "$(sed -n 2p "$STATE/dbus.out")" dbus-daemon
}

start_accessibility_bus() {
    /usr/libexec/at-spi-bus-launcher --launch-immediately </dev/null >"$STATE/at-spi.log" 2>&1 &
    record $! at-spi-bus-launcher
    # Asking for the name itself would let D-Bus activate a second launcher.
    wait_for "the AT-SPI bus launcher to own org.a11y.Bus" bus_has_owner org.a11y.Bus
    gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
        --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled '<true>' >/dev/null
    wait_for "org.a11y.Status.IsEnabled to read back true" accessibility_enabled
}

wayland_socket() {
    local socket
    for socket in "$XDG_RUNTIME_DIR"/wayland-*; do
        [[ -S $socket ]] && { basename "$socket"; return 0; }
    done
    return 1
}

start_shell() {
    # Xwayland starts with the shell, for the tests of X11 applications on GNOME.
    gnome-shell --headless --wayland --virtual-monitor "$SCREEN" \
        --virtual-monitor "$SECOND_SCREEN" </dev/null >"$STATE/gnome-shell.log" 2>&1 &
    record $! gnome-shell
    # The extension owns its name once the shell has started up and left the Overview.
    wait_for "GNOME Shell and the Vantrel extension to answer" helper_answers
    WAYLAND_DISPLAY=$(wayland_socket)
    export WAYLAND_DISPLAY
    # Portals started by the bus see the session's display.
    dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE \
        DBUS_SYSTEM_BUS_ADDRESS GSETTINGS_BACKEND >/dev/null 2>&1
}

# Each layout's monitors, one "connector x y primary" a line; a connector left out is off. The
# shell names the virtual monitors Meta-0 ($SCREEN) and Meta-1 ($SECOND_SCREEN) in the order given.
layout_monitors() {
    case $1 in
    single) echo "Meta-0 0 0 true" ;;
    side-by-side) printf '%s\n' "Meta-0 0 0 true" "Meta-1 1440 0 false" ;;
    stacked) printf '%s\n' "Meta-0 0 0 false" "Meta-1 0 900 true" ;;
    *) return 1 ;;
    esac
}

# Mutter's own display configuration interface, which the headless shell honours: a temporary
# configuration (method 1) needs no confirmation and lasts until the next one.
apply_layout() {
    local monitors
    monitors=$(layout_monitors "$1") || {
        say "no layout $1 (single, side-by-side, stacked)"
        return 2
    }
    python3 - "$monitors" <<'PYTHON'
import sys
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
def display_config(method, arguments=None):
    return bus.call_sync("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig",
                         "org.gnome.Mutter.DisplayConfig", method, arguments, None,
                         Gio.DBusCallFlags.NONE, -1, None)
serial, monitors, _, _ = display_config("GetCurrentState").unpack()
# A virtual monitor has one mode, its size.
mode = {monitor[0][0]: monitor[1][0][0] for monitor in monitors}
logical = [(int(x), int(y), 1.0, 0, primary == "true", [(connector, mode[connector], {})])
           for connector, x, y, primary in (line.split() for line in sys.argv[1].splitlines())]
display_config("ApplyMonitorsConfig",
               GLib.Variant("(uua(iiduba(ssa{sv}))a{sv})", (serial, 1, logical, {})))
PYTHON
}

# Switches a running desktop's monitors, as its user.
layout() {
    resolve_state "$1"
    if [[ $(stat -c %u "$STATE") != "$EUID" ]]; then
        as_test_user "$STATE/bin/headless-gnome.sh" layout "$STATE" "${2:-}"
        return
    fi
    [[ -f $STATE/env ]] || {
        say "no desktop running in $STATE"
        exit 1
    }
    # shellcheck source=/dev/null
    . "$STATE/env"
    apply_layout "${2:-}"
}

# The shell's Xwayland display and its key, from the command line the shell gave it; they are not
# DISPLAY and XAUTHORITY in the env file, so that nothing but the X11 tests' probes takes X11.
find_xwayland() {
    local shell xwayland arguments
    shell=$(awk '$2 == "gnome-shell" {print $1}' "$STATE/pids")
    xwayland=$(pgrep -P "$shell" -x Xwayland) || return 1
    read -r -a arguments < <(tr '\0' ' ' <"/proc/$xwayland/cmdline")
    XWAYLAND_DISPLAY=${arguments[1]}
    XWAYLAND_AUTHORITY=$(printf '%s\n' "${arguments[@]}" | sed -n '/^-auth$/{n;p}')
    [[ $XWAYLAND_DISPLAY == :* && -n $XWAYLAND_AUTHORITY ]]
}

write_env() {
    local name
    {
        for name in WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS \
            XDG_RUNTIME_DIR HOME XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME \
            XDG_CURRENT_DESKTOP XDG_SESSION_TYPE XDG_SESSION_DESKTOP GSETTINGS_BACKEND \
            NO_AT_BRIDGE QT_LINUX_ACCESSIBILITY_ALWAYS_ON GDK_BACKEND QT_QPA_PLATFORM; do
            echo "export $name='${!name}'"
        done
        echo "export VANTREL_TEST_BIN='$STATE/bin'"
        echo "export VANTREL_XWAYLAND_DISPLAY='$XWAYLAND_DISPLAY'"
        echo "export VANTREL_XWAYLAND_AUTHORITY='$XWAYLAND_AUTHORITY'"
        echo "unset DISPLAY GTK_A11Y AT_SPI_BUS_ADDRESS XAUTHORITY"
    } >"$STATE/env.new"
    # The env file appears only once the desktop is whole.
    mv "$STATE/env.new" "$STATE/env"
}

# The extension as built, allowing the copies in STATE/bin of Vantrel and the test binaries.
install_extension() {
    local target=$XDG_DATA_HOME/gnome-shell/extensions/$EXTENSION_UUID
    mkdir -p "$(dirname "$target")"
    cp -R "$1" "$target"
    python3 - "$target/metadata.json" "$STATE/bin" <<'PYTHON'
import json, os, sys
path, bin_dir = sys.argv[1], sys.argv[2]
with open(path) as f:
    metadata = json.load(f)
metadata["vantrel-executables"] = sorted(
    os.path.join(bin_dir, name) for name in os.listdir(bin_dir)
    if name == "vantrel" or name.startswith("vantrel_"))
with open(path, "w") as f:
    json.dump(metadata, f, indent=2)
PYTHON
}

# Runs as the test user (or whoever ran start, when not root): starts the desktop.
launch() {
    local began
    began=$(now_ms)
    resolve_state "$1"
    trap 'say "start failed; stopping what it started"; show_logs; terminate_desktop; exit 1' ERR
    isolate_environment
    write_settings
    install_extension "$STATE/extension"
    start_system_bus
    start_session_bus
    start_accessibility_bus
    start_shell
    wait_for "GNOME Shell to start Xwayland" find_xwayland
    apply_layout single
    write_env
    trap - ERR
    echo "headless GNOME Shell on $WAYLAND_DISPLAY up in $(($(now_ms) - began)) ms; state in $STATE"
}

# Everything the test user runs, in a folder it owns and can reach whatever the build's folder.
prepare() {
    local extension=$1 file
    shift
    [[ -d $extension && -f $extension/metadata.json ]] || {
        say "no built extension in $extension"
        exit 2
    }
    mkdir -p "$STATE/bin"
    cp "$0" "$STATE/bin/headless-gnome.sh"
    mkdir -p "$STATE/support"
    cp "$(dirname "$0")/../support/fixture-processes.sh" "$STATE/support/"
    for file in "$@"; do
        cp -p "$file" "$STATE/bin/"
    done
    cp -R "$extension" "$STATE/extension"
    if ((EUID == 0)); then
        id -u "$TEST_USER" >/dev/null 2>&1 || {
            say "no user $TEST_USER to run GNOME Shell as (make wayland-deps creates it)"
            exit 1
        }
        # The state dir's parents must let the test user through.
        chmod 0755 "$STATE"
        chown -R "$TEST_USER:" "$STATE"
    fi
}

start() {
    resolve_state "$1"
    shift
    [[ -n ${1:-} ]] || usage
    if [[ -e $STATE/$MARKER ]]; then
        say "cleaning up a desktop that is no longer whole"
        stop "$STATE"
        mkdir -p "$STATE"
    elif [[ -n $(ls -A "$STATE") ]]; then
        say "$STATE is not empty; give a new or empty STATE_DIR"
        exit 1
    fi
    touch "$STATE/$MARKER"
    if ! prepare "$@" || ! as_test_user "$STATE/bin/headless-gnome.sh" launch "$STATE"; then
        stop "$STATE"
        exit 1
    fi
}

case ${1:-} in
start) start "${2:-}" "${@:3}" ;;
stop) stop "${2:-}" ;;
layout) layout "${2:-}" "${3:-}" ;;
launch) launch "${2:-}" ;;
terminate) resolve_state "${2:-}" && terminate_desktop ;;
*) usage ;;
esac
