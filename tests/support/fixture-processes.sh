# Process book-keeping shared by the headless desktops' fixtures: every process they start is
# recorded by pid and name, waited for with a deadline, and ended with its children and the
# services its buses started, so a stop leaves nothing running. The including script defines
# STATE, DEADLINE_SECONDS, say, usage and desktop_service_pids.
# shellcheck shell=bash

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Polls COMMAND until it succeeds; the deadline only bounds a start that would never finish.
wait_for() {
    local what=$1
    shift
    local end=$(($(now_ms) + DEADLINE_SECONDS * 1000))
    until "$@" >/dev/null 2>&1; do
        if (($(now_ms) > end)); then
            say "gave up after ${DEADLINE_SECONDS} s waiting for $what"
            return 1
        fi
        sleep 0.02
    done
}

# A zombie has exited; only its parent's reaping is missing.
alive() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
    [[ $state != Z ]]
}

descendants() {
    local child
    for child in $(pgrep -P "$1" 2>/dev/null || true); do
        echo "$child"
        descendants "$child"
    done
}

# PID and the name its process runs under once exec'd (a just-forked child still says bash).
record() {
    echo "$1 ${2:0:15}" >>"$STATE/pids"
}

# Recorded pids whose process still has the recorded name, so a recycled pid is never killed.
recorded_alive() {
    local pid comm
    [[ -f $STATE/pids ]] || return 0
    while read -r pid comm; do
        if alive "$pid" && [[ $(cat "/proc/$pid/comm" 2>/dev/null) == "$comm" ]]; then
            echo "$pid"
        fi
    done <"$STATE/pids"
}

all_gone() {
    local pid
    for pid in "$@"; do
        alive "$pid" && return 1
    done
    return 0
}

# Services a bus started (the AT-SPI registry, dconf, the portals) are nobody's children: ask each bus
# who owns its well-known names.
bus_service_pids() {
    local name
    for name in $(gdbus call --address "$1" --dest org.freedesktop.DBus --object-path / \
        --method org.freedesktop.DBus.ListNames 2>/dev/null | tr -d "[](),'" | tr ' ' '\n' |
        grep -v '^:'); do
        gdbus call --address "$1" --dest org.freedesktop.DBus --object-path / \
            --method org.freedesktop.DBus.GetConnectionUnixProcessID "$name" 2>/dev/null |
            grep -o '[0-9]\+,' | tr -d ,
    done
}

terminate() {
    local pids=() pid
    for pid in $(recorded_alive); do
        # shellcheck disable=SC2207 # pids are single words
        pids+=("$pid" $(descendants "$pid"))
    done
    if ((${#pids[@]})); then
        # shellcheck disable=SC2207
        pids+=($(desktop_service_pids | sort -u))
    fi
    ((${#pids[@]})) || return 0
    kill -TERM "${pids[@]}" 2>/dev/null || true
    if ! DEADLINE_SECONDS=10 wait_for "the desktop to exit" all_gone "${pids[@]}" 2>/dev/null; then
        say "killing what did not exit on TERM"
        kill -KILL "${pids[@]}" 2>/dev/null || true
        wait_for "killed processes to go" all_gone "${pids[@]}"
    fi
}

resolve_state() {
    [[ -n ${1:-} ]] || usage
    mkdir -p "$1"
    STATE=$(cd "$1" && pwd -P)
    if [[ $STATE == *"'"* || $STATE == *$'\n'* ]]; then
        say "STATE_DIR must not contain quotes or newlines: $STATE"
        exit 2
    fi
}

bus_has_owner() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner "string:$1" | grep -q 'boolean true'
}

accessibility_enabled() {
    gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
        --method org.freedesktop.DBus.Properties.Get org.a11y.Status IsEnabled | grep -q true
}

# The state dir goes with a failed start, so its logs are shown first.
show_logs() {
    local log
    for log in "$STATE"/*.log; do
        [[ -s $log ]] && { echo "--- $(basename "$log")"; tail -n 20 "$log"; } >&2
    done
    return 0
}
