#!/bin/bash
# Times the real-desktop capture on a private headless desktop and prints figures (no pass/fail):
# the AT-SPI walk against a naive walker, pictures against a bare MIT-SHM read, whole
# `vantrel capture` runs (process start to exit, payload served; bundle and screenshot modes, and
# start-up alone) against their floor and against maim writing a JPEG of the same window, the
# tray app's Ctrl+Alt+C to clipboard against its floor, and the tray app's resident memory after
# 10 and after SOAK (default 1000) hotkey captures, all in this one run.
#
#   [SOAK=N] bench/desktop_bench.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(realpath "${1:?usage: desktop_bench.sh BUILD_DIR [RUNS]}")
runs=${2:-20}
here=$(cd "$(dirname "$0")/.." && pwd)
state=$(mktemp -d)
rmdir "$state"
probes=()
cleanup() {
    for pid in "${probes[@]}"; do kill "$pid" 2>/dev/null || true; done
    "$here/tests/desktop/headless-desktop.sh" stop "$state" >/dev/null 2>&1 || true
}
trap cleanup EXIT
"$here/tests/desktop/headless-desktop.sh" start "$state" >/dev/null
# shellcheck disable=SC1091
source "$state/env"
export QT_QPA_PLATFORM=offscreen

# Starts a probe; prints its pid once its "ready" line is out.
start_probe() {
    local out="$state/probe-$RANDOM"
    : >"$out"
    exec {keep}< <(tail -f /dev/null)
    /usr/bin/python3 "$here/tests/desktop/apps/gtk_probe.py" "$@" <&$keep >"$out" 2>&1 &
    probes+=($!)
    until grep -q '^ready' "$out"; do
        kill -0 "${probes[-1]}" 2>/dev/null || { cat "$out" >&2; exit 1; }
        sleep 0.05
    done
    echo "${probes[-1]} $(cat "$out")"
}

# p50 and p95 of the numbers on stdin.
percentiles() {
    sort -n | awk '{ v[NR] = $1 } END { i50 = int((NR + 1) * 0.5); i95 = int(NR * 0.95 + 0.5);
        if (i95 < 1) i95 = 1; printf "p50 %.1f ms  p95 %.1f ms", v[i50], v[i95] }'
}

# Median of the numbers on stdin, and the ratio of two numbers.
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }

# Runs the command $runs times; one line of milliseconds per run.
time_runs() {
    for _ in $(seq "$runs"); do
        local start
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        milliseconds "$start"
    done
}

# A figure's percentiles, and its ratio to a baseline's median when one is given.
report() {
    local line
    line="$1: $(percentiles <"$2")"
    [ -n "${3:-}" ] && line+="  · ÷ maim (p50) = $(ratio "$(median <"$2")" "$(median <"$3")")"
    echo "$line"
}

milliseconds() { echo $(( ($(date +%s%N) - $1) / 1000 )) | awk '{ printf "%.1f\n", $1 / 1000 }'; }

echo "== AT-SPI walk of a 1000-node window"
read -r pid _ < <(start_probe --nodes 1000 --title "Walk Probe")
sleep 0.5
"$build/bench/atspi_walk_bench" "$pid" || true
kill "$pid"

echo "== Pictures against a bare xcb_shm_get_image"
read -r pid _ < <(start_probe --x 200 --y 150 --size 602x425 --title "Picture Probe")
"$build/bench/x11_capture_bench" || true
kill "$pid"

echo "== Whole capture of a 1440×900 window, $runs runs each, against maim in the same run"
read -r pid line < <(start_probe --x 0 --y 0 --size 1440x900 --undecorated --title "Capture Probe")
paint=$(sed -E 's/.*paint=([0-9,]+).*/\1/' <<<"$line")
IFS=, read -r px py pw ph <<<"$paint"
leaf_x=$((px + pw / 2)); leaf_y=$((py + ph / 2))
# The list fills the lower part of the window: a point over its scrolled view is a container.
list_x=700; list_y=600
window=$(xdotool search --onlyvisible --name '^Capture Probe$' | head -1)
maim -i "$window" -f jpg "$state/maim.jpg" # warm the page cache, as every command below is
time_runs maim -i "$window" -f jpg "$state/maim.jpg" >"$state/maim"
report "maim JPEG of the same window" "$state/maim"
for point in "container $list_x $list_y" "leaf $leaf_x $leaf_y"; do
    read -r name x y <<<"$point"
    time_runs "$build/src/vantrel" capture --at "$x,$((900 - y))" >"$state/bundle-$name"
    report "vantrel capture (bundle) over a $name" "$state/bundle-$name" "$state/maim"
    "$build/bench/desktop_floor_bench" "$x" "$y" "$runs" >"$state/floor-$name"
    awk '{ print $1 + $2 + $3 }' "$state/floor-$name" >"$state/floor-sum-$name"
    report "  floor (grab + walk + JPEG, in process)" "$state/floor-sum-$name"
    echo "    grab $(awk '{ print $1 }' "$state/floor-$name" | percentiles) · walk $(awk '{ print $2 }' "$state/floor-$name" | percentiles) · JPEG $(awk '{ print $3 }' "$state/floor-$name" | percentiles)"
done
time_runs "$build/src/vantrel" capture --mode screenshot --at "$leaf_x,$((900 - leaf_y))" \
    >"$state/screenshot"
report "vantrel capture --mode screenshot" "$state/screenshot" "$state/maim"
time_runs "$build/src/vantrel" --help >"$state/help"
report "start-up alone: vantrel --help" "$state/help" "$state/maim"
# The clipboard server up to its X connection, told its command is gone (no pid is that high):
# what a capture's server costs before it can take a payload, against xclip reading a selection.
time_runs "$build/src/vantrel-clipboard" "$state/none.payload" 4194305 x11 >"$state/server"
report "clipboard server start-up alone" "$state/server" "$state/maim"
time_runs xclip -selection clipboard -o >"$state/xclip"
report "  xclip reading the clipboard, for scale" "$state/xclip" "$state/maim"
# CPU time (perf stat) from exec to owning the selection with a capture's payload, against xclip
# taking it with the payload's text.
for _ in $(seq "$runs"); do
    "$build/bench/clipboard_server_bench" "$build/src/vantrel-clipboard" >>"$state/server-cpu"
    "$build/bench/clipboard_server_bench" --xclip >>"$state/xclip-cpu"
done
echo "clipboard server to the selection owned: CPU p50 $(cut -d' ' -f1 "$state/server-cpu" | median) ms, wall p50 $(cut -d' ' -f2 "$state/server-cpu" | median) ms · xclip: CPU p50 $(cut -d' ' -f1 "$state/xclip-cpu" | median) ms, wall p50 $(cut -d' ' -f2 "$state/xclip-cpu" | median) ms"
kill "$pid"

echo "== Ctrl+Alt+C to the clipboard in the running tray app, over a 1000-node window"
read -r pid _ < <(start_probe --nodes 1000 --x 0 --y 0 --size 1200x800 --title "Hotkey Probe")
xdotool mousemove 600 500 # over the probe's rows: a container, the walk stops at its limits
tray_home=$(mktemp -d)
HOME=$tray_home XDG_CONFIG_HOME=$tray_home/.config XDG_CACHE_HOME=$tray_home/.cache \
    XDG_DATA_HOME=$tray_home/.local/share "$build/src/vantrel" >"$state/tray.log" 2>&1 &
tray=$!
sleep 2 # up and holding its keys; a benchmark may wait, a test may not
"$build/bench/tray_hotkey_bench" "$tray" 2 >/dev/null # warm-up
"$build/bench/tray_hotkey_bench" "$tray" "$runs" >"$state/hotkey"
report "hotkey to clipboard, $runs runs" "$state/hotkey"
"$build/bench/desktop_floor_bench" 600 500 "$runs" | awk '{ print $1 + $2 + $3 }' >"$state/hotkey-floor"
report "  floor (picture + bounded walk + JPEG + toJson)" "$state/hotkey-floor"
echo "  hotkey ÷ floor (p50) = $(ratio "$(median <"$state/hotkey")" "$(median <"$state/hotkey-floor")")   (target ≤ 1.5)"

soak=${SOAK:-1000}
echo "== Resident memory of the tray app: after 10 hotkey captures and after $soak"
read -r early late < <("$build/bench/tray_hotkey_bench" "$tray" "$soak" --soak 10)
echo "  after 10: $early KiB · after $soak: $late KiB · ratio $(ratio "$late" "$early")   (target ≤ 1.1)"
kill "$tray" "$pid"
rm -rf "$tray_home"

echo "== The figures against their targets (p50 ratios of this run)"
m=$(median <"$state/maim")
echo "  vantrel capture (bundle) over a leaf ÷ maim      $(ratio "$(median <"$state/bundle-leaf")" "$m")   (target ≤ 1.5)"
echo "  vantrel capture (bundle) over a container ÷ maim $(ratio "$(median <"$state/bundle-container")" "$m")   (target ≤ 1.5)"
echo "  vantrel capture --mode screenshot ÷ maim         $(ratio "$(median <"$state/screenshot")" "$m")   (target ≤ 1.0)"
echo "  vantrel --help ÷ maim                            $(ratio "$(median <"$state/help")" "$m")   (reported)"
echo "  clipboard server CPU to owning ÷ xclip's         $(ratio "$(cut -d' ' -f1 "$state/server-cpu" | median)" "$(cut -d' ' -f1 "$state/xclip-cpu" | median)")   (reported)"
echo "  hotkey to clipboard ÷ its floor                  $(ratio "$(median <"$state/hotkey")" "$(median <"$state/hotkey-floor")")   (target ≤ 1.5)"
echo "  resident memory after $soak ÷ after 10            $(ratio "$late" "$early")   (target ≤ 1.1)"
echo "  (the simulated pipeline: the whole-pipeline ratio capture_bench printed; the build: make bench BASELINE=REV)"
