#!/bin/bash
# Times the real-desktop capture on a private headless desktop and prints figures (no pass/fail):
# the AT-SPI walk against a naive walker, pictures against a bare MIT-SHM read, and whole
# `vantrel capture` runs (process start to exit, payload served) against their floor and against
# maim writing a JPEG of the same window, all in this one run.
#
#   bench/desktop_bench.sh BUILD_DIR [RUNS]
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

echo "== Whole capture of a 1440×900 window, $runs runs each"
read -r pid line < <(start_probe --x 0 --y 0 --size 1440x900 --undecorated --title "Capture Probe")
paint=$(sed -E 's/.*paint=([0-9,]+).*/\1/' <<<"$line")
IFS=, read -r px py pw ph <<<"$paint"
leaf_x=$((px + pw / 2)); leaf_y=$((py + ph / 2))
# The list fills the lower part of the window: a point over its scrolled view is a container.
list_x=700; list_y=600
window=$(xdotool search --onlyvisible --name '^Capture Probe$' | head -1)
for point in "container $list_x $list_y" "leaf $leaf_x $leaf_y"; do
    read -r name x y <<<"$point"
    times=()
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$build/src/vantrel" capture --at "$x,$((900 - y))" >/dev/null
        times+=("$(milliseconds "$start")")
    done
    echo "vantrel capture over a $name: $(printf '%s\n' "${times[@]}" | percentiles)"
    "$build/bench/desktop_floor_bench" "$x" "$y" "$runs" >"$state/floor-$name"
    echo "  floor (grab + walk + JPEG, in process): $(awk '{ print $1 + $2 + $3 }' "$state/floor-$name" | percentiles)"
    echo "    grab $(awk '{ print $1 }' "$state/floor-$name" | percentiles) · walk $(awk '{ print $2 }' "$state/floor-$name" | percentiles) · JPEG $(awk '{ print $3 }' "$state/floor-$name" | percentiles)"
done
if command -v maim >/dev/null; then
    times=()
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        maim -i "$window" -f jpg "$state/maim.jpg"
        times+=("$(milliseconds "$start")")
    done
    echo "maim JPEG of the same window: $(printf '%s\n' "${times[@]}" | percentiles)"
else
    echo "maim not installed (make bench installs it)"
fi
