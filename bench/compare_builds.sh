#!/bin/bash
# Before and after on a loaded machine: runs `maim -i`, then each build's `vantrel capture`
# (bundle over a leaf, screenshot) and `vantrel --help`, and with each build's
# clipboard_server_bench its clipboard server to the selection owned (CPU time) against xclip,
# interleaved run by run on one private headless desktop, so every command meets the same load.
# Prints medians and ratios, no pass/fail.
#
#   bench/compare_builds.sh BEFORE_BUILD_DIR AFTER_BUILD_DIR [RUNS]
set -euo pipefail
before=$(realpath "${1:?usage: compare_builds.sh BEFORE_BUILD_DIR AFTER_BUILD_DIR [RUNS]}")
after=$(realpath "${2:?usage: compare_builds.sh BEFORE_BUILD_DIR AFTER_BUILD_DIR [RUNS]}")
runs=${3:-30}
here=$(cd "$(dirname "$0")/.." && pwd)
state=$(mktemp -d)
rmdir "$state"
probe=
cleanup() {
    [ -n "$probe" ] && kill "$probe" 2>/dev/null || true
    "$here/tests/desktop/headless-desktop.sh" stop "$state" >/dev/null 2>&1 || true
}
trap cleanup EXIT
"$here/tests/desktop/headless-desktop.sh" start "$state" >/dev/null
# shellcheck disable=SC1091
source "$state/env"
export QT_QPA_PLATFORM=offscreen

exec {keep}< <(tail -f /dev/null)
/usr/bin/python3 "$here/tests/desktop/apps/gtk_probe.py" --x 0 --y 0 --size 1440x900 --undecorated \
    --title "Compare Probe" <&$keep >"$state/probe" 2>&1 &
probe=$!
until grep -q '^ready' "$state/probe"; do sleep 0.05; done
IFS=, read -r px py pw ph <<<"$(sed -E 's/.*paint=([0-9,]+).*/\1/' "$state/probe")"
at="$((px + pw / 2)),$((900 - py - ph / 2))"
window=$(xdotool search --onlyvisible --name '^Compare Probe$' | head -1)

# Milliseconds one command takes, appended to the named file.
timed() {
    local file=$1 start
    shift
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    echo $((($(date +%s%N) - start) / 1000)) | awk '{ printf "%.1f\n", $1 / 1000 }' >>"$state/$file"
}
median() { sort -n "$state/$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# A build's clipboard server: its own program, or (in builds before it had one) a mode of vantrel.
server() {
    if [ -x "$1/src/vantrel-clipboard" ]; then echo "$1/src/vantrel-clipboard"; else echo "$1/src/vantrel --serve-clipboard"; fi
}
servers=false
[ -x "$before/bench/clipboard_server_bench" ] && [ -x "$after/bench/clipboard_server_bench" ] &&
    command -v perf >/dev/null && servers=true

for _ in $(seq "$runs"); do
    timed maim maim -i "$window" -f jpg "$state/maim.jpg"
    for side in before after; do
        build=${!side}
        timed "$side-bundle" "$build/src/vantrel" capture --at "$at"
        timed "$side-screenshot" "$build/src/vantrel" capture --mode screenshot --at "$at"
        timed "$side-help" "$build/src/vantrel" --help
        # shellcheck disable=SC2046 # the server's command is split into words on purpose
        $servers && "$build/bench/clipboard_server_bench" $(server "$build") >>"$state/$side-server"
    done
    $servers && "$after/bench/clipboard_server_bench" --xclip >>"$state/xclip"
done

m=$(median maim)
echo "== $runs interleaved runs; maim -i p50 $m ms"
printf '%-34s %10s %10s %9s %9s %9s\n' "" "before ms" "after ms" "after÷bef" "bef÷maim" "aft÷maim"
for figure in bundle screenshot help; do
    b=$(median "before-$figure")
    a=$(median "after-$figure")
    printf '%-34s %10s %10s %9s %9s %9s\n' "vantrel $figure (p50)" "$b" "$a" "$(ratio "$a" "$b")" \
        "$(ratio "$b" "$m")" "$(ratio "$a" "$m")"
done
if $servers; then
    cpu() { cut -d' ' -f1 "$state/$1" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
    b=$(cpu before-server)
    a=$(cpu after-server)
    x=$(cpu xclip)
    echo "clipboard server, exec to owning the selection, CPU p50: before $b ms, after $a ms" \
        "(after÷before $(ratio "$a" "$b")); xclip $x ms (before÷xclip $(ratio "$b" "$x")," \
        "after÷xclip $(ratio "$a" "$x"))"
fi
