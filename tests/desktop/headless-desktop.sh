#!/usr/bin/env bash
# Starts and stops a private headless X11 desktop for the desktop tests: Xvfb, a session D-Bus,
# the AT-SPI bus and openbox, all in STATE_DIR, so nothing reaches the user's display or home.
# The root window is wide enough for every monitor layout; `layout` declares the RandR monitors
# on it (the desktop starts with `single`).
#
#   headless-desktop.sh start STATE_DIR [--no-window-manager] [--no-shared-memory]
#   . STATE_DIR/env
#   headless-desktop.sh layout STATE_DIR single|side-by-side|stacked
#   headless-desktop.sh stop STATE_DIR
set -Eeuo pipefail

DEADLINE_SECONDS=${HEADLESS_DESKTOP_DEADLINE:-30}
readonly MARKER=.headless-desktop
readonly ROOT_SIZE=2880x1800

# Monitors in root pixels, WxH+X+Y. The first, the same in every layout, holds the root's origin;
# the second, when there is one, differs from it in size, and a * makes it the primary monitor
# (without one, the monitor at the origin is).
readonly FIRST_MONITOR=1440x900+0+0
declare -A SECOND_MONITOR=([single]="" [side-by-side]=1280x1024+1440+0 [stacked]='*1920x900+0+900')

say() { echo "headless-desktop: $*" >&2; }

usage() {
    echo "usage: $0 start STATE_DIR [--no-window-manager] [--no-shared-memory]" >&2
    echo "       $0 layout STATE_DIR single|side-by-side|stacked" >&2
    echo "       $0 stop STATE_DIR" >&2
    exit 2
}

# shellcheck source=../support/fixture-processes.sh
. "$(dirname "${BASH_SOURCE[0]}")/../support/fixture-processes.sh"

desktop_service_pids() {
    [[ -f $STATE/dbus.out ]] || return 0
    local session accessibility
    session=$(sed -n 1p "$STATE/dbus.out")
    accessibility=$(DISPLAY=:$(cat "$STATE/display-number" 2>/dev/null) xprop -root AT_SPI_BUS \
        2>/dev/null | sed -n 's/^AT_SPI_BUS(STRING) = "\(.*\)"$/\1/p')
    [[ -z $session ]] || bus_service_pids "$session"
    [[ -z $accessibility ]] || bus_service_pids "$accessibility"
}

stop() {
    if [[ ! -d $1 ]]; then
        return 0
    fi
    resolve_state "$1"
    if [[ ! -e $STATE/$MARKER ]]; then
        if [[ -z $(ls -A "$STATE") ]]; then
            rmdir "$STATE"
            return 0
        fi
        say "$STATE is not a headless desktop's state dir; leaving it alone"
        exit 1
    fi
    terminate
    rm -rf "$STATE"
}

env_display() {
    sed -n "s/^export DISPLAY='\(.*\)'$/\1/p" "$STATE/env"
}

# The display answers and the session bus still has its pid.
running() {
    [[ -f $STATE/env ]] || return 1
    [[ -n $(recorded_alive) ]] && DISPLAY=$(env_display) xprop -root >/dev/null 2>&1
}

window_manager_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'
}

display_number_written() {
    [[ $(cat "$STATE/display-number" 2>/dev/null) =~ ^[0-9]+$ ]]
}

# Only the private desktop's variables reach what this script starts.
isolate_environment() {
    unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS GTK_A11Y
    unset SESSION_MANAGER XAUTHORITY
    export XDG_RUNTIME_DIR=$STATE/runtime
    export HOME=$STATE/home
    export XDG_CONFIG_HOME=$HOME/.config
    export XDG_CACHE_HOME=$HOME/.cache
    export XDG_DATA_HOME=$HOME/.local/share
    export NO_AT_BRIDGE=0
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
    chmod 0700 "$XDG_RUNTIME_DIR"
}

start_x_server() {
    Xvfb -displayfd 3 -screen 0 "${ROOT_SIZE}x24" -nolisten tcp -noreset "${X_OPTIONS[@]}" \
        3>"$STATE/display-number" </dev/null >"$STATE/xvfb.log" 2>&1 &
    record $! Xvfb
    local xvfb=$!
    wait_for "Xvfb to pick a display" display_number_written
    alive "$xvfb" || {
        say "Xvfb exited: $(cat "$STATE/xvfb.log")"
        return 1
    }
    export DISPLAY=:$(cat "$STATE/display-number")
}

start_session_bus() {
    dbus-daemon --session --fork --address="unix:path=$XDG_RUNTIME_DIR/bus" \
        --print-address=1 --print-pid=1 </dev/null >"$STATE/dbus.out" 2>"$STATE/dbus.log"
    export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$STATE/dbus.out")
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

start_window_manager() {
    openbox --sm-disable </dev/null >"$STATE/openbox.log" 2>&1 &
    record $! openbox
    wait_for "openbox to manage the screen" window_manager_running
}

write_env() {
    local name
    {
        for name in DISPLAY DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR HOME XDG_CONFIG_HOME \
            XDG_CACHE_HOME XDG_DATA_HOME NO_AT_BRIDGE QT_LINUX_ACCESSIBILITY_ALWAYS_ON; do
            echo "export $name='${!name}'"
        done
        echo "unset GTK_A11Y WAYLAND_DISPLAY AT_SPI_BUS_ADDRESS XAUTHORITY"
    } >"$STATE/env.new"
    # The env file appears only once the desktop is whole.
    mv "$STATE/env.new" "$STATE/env"
}

# xrandr's geometry: WxH/mmWxmmH+X+Y, at 96 dpi.
monitor_geometry() {
    local width=${1%%x*} rest=${1#*x}
    local height=${rest%%+*}
    echo "$width/$((width * 254 / 960))x$height/$((height * 254 / 960))+${rest#*+}"
}

# The first monitor takes over the output's own whole-root monitor (a monitor without an output
# would leave that one listed beside it); the server refuses to define it again over the same
# output, so it is set once.
set_first_monitor() {
    xrandr --setmonitor FIRST "$(monitor_geometry "$FIRST_MONITOR")" screen >/dev/null
}

set_layout() {
    local name=$1
    [[ -n ${SECOND_MONITOR[$name]+set} ]] || usage
    xrandr --delmonitor SECOND >/dev/null 2>&1 || true
    local second=${SECOND_MONITOR[$name]}
    if [[ -n $second ]]; then
        # xrandr reads a leading * of the name as "primary".
        xrandr --setmonitor "${second%%[0-9]*}SECOND" "$(monitor_geometry "${second#\*}")" none \
            >/dev/null
    fi
    echo "$name" >"$STATE/layout"
}

layout() {
    resolve_state "$1"
    [[ -f $STATE/env ]] || {
        say "no desktop in $STATE"
        exit 1
    }
    DISPLAY=$(env_display) set_layout "${2:-}"
}

start() {
    local began window_manager=openbox
    X_OPTIONS=()
    began=$(now_ms)
    resolve_state "${1:-}"
    shift
    while (($#)); do
        case $1 in
        --no-window-manager) window_manager=none ;;
        --no-shared-memory) X_OPTIONS+=(-extension MIT-SHM) ;;
        *) usage ;;
        esac
        shift
    done
    if [[ -e $STATE/$MARKER ]]; then
        if running; then
            say "already running in $STATE"
            return 0
        fi
        say "cleaning up a desktop that is no longer whole"
        terminate
        find "$STATE" -mindepth 1 -delete
    elif [[ -n $(ls -A "$STATE") ]]; then
        say "$STATE is not empty; give a new or empty STATE_DIR"
        exit 1
    fi
    touch "$STATE/$MARKER"
    trap 'say "start failed; stopping what it started"; show_logs; stop "$STATE"; exit 1' ERR
    isolate_environment
    start_x_server
    start_session_bus
    start_accessibility_bus
    set_first_monitor
    set_layout single
    [[ $window_manager == none ]] || start_window_manager
    write_env
    trap - ERR
    echo "headless desktop on $DISPLAY up in $(($(now_ms) - began)) ms; state in $STATE"
}

case ${1:-} in
start) start "${@:2}" ;;
layout) layout "${2:-}" "${3:-}" ;;
stop) stop "${2:-}" ;;
*) usage ;;
esac
