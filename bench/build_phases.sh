#!/bin/bash
# Times each phase of `make test` on a clean clone (configure, build and ctest, plain then
# sanitized): wall seconds and CPU seconds of the phase and everything it started, with no
# compiler cache. With a baseline revision it times that revision's clone the same way, one
# after the other, and prints the ratios. Prints figures; passes or fails nothing.
#
#   bench/build_phases.sh [REVISION [BASELINE_REVISION]]     (default: HEAD, no baseline)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
revision=${1:-HEAD}
baseline=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export CCACHE_DISABLE=1

# Clones REVISION into a folder of its own and prints "phase wall_s cpu_s" for each phase.
run() {
    local clone="$work/$1"
    git clone --quiet --no-hardlinks "$here" "$clone"
    git -C "$clone" checkout --quiet "$1"
    (
        cd "$clone"
        for phase in "configure_test:cmake --preset test" "build_test:cmake --build --preset test" \
            "ctest_test:ctest --preset test" "configure_asan:cmake --preset asan" \
            "build_asan:cmake --build --preset asan" "ctest_asan:ctest --preset asan"; do
            /usr/bin/time -f "%e %U %S" -o "$work/time" bash -c "${phase#*:}" >"$work/log" 2>&1 ||
                echo "(${phase%%:*} failed; see its log)" >&2
            read -r wall user system <"$work/time"
            echo "${phase%%:*} $wall $(echo "$user + $system" | bc)"
        done
    )
}

current=$(run "$revision")
echo "make test phases of $revision (clean clone, no compiler cache): wall s, CPU s"
if [ -z "$baseline" ]; then
    awk '{ printf "  %-16s %8.1f %8.1f\n", $1, $2, $3; w += $2; c += $3 }
         END { printf "  %-16s %8.1f %8.1f\n", "total", w, c }' <<<"$current"
    exit 0
fi
before=$(run "$baseline")
echo "against $baseline, measured in this run: wall s and CPU s, then the ratios"
paste -d' ' <(echo "$current") <(echo "$before") | awk '
    { printf "  %-16s %8.1f %8.1f   was %8.1f %8.1f   ×%.2f ×%.2f\n", $1, $2, $3, $5, $6,
          ($5 > 0 ? $2 / $5 : 0), ($6 > 0 ? $3 / $6 : 0); w += $2; c += $3; bw += $5; bc += $6 }
    END { printf "  %-16s %8.1f %8.1f   was %8.1f %8.1f   ×%.2f ×%.2f\n", "total", w, c, bw, bc,
          w / bw, c / bc }'
