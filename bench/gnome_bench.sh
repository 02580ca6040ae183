#!/bin/bash
# Times GNOME's pictures (Vantrel's extension against the Screenshot portal) on a private headless
# GNOME Shell, the one the Wayland tests use. Prints figures; passes or fails nothing. As root the
# desktop and the bench run as the system user vantrel-test (make wayland-deps creates it).
#
#   bench/gnome_bench.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(realpath "${1:?usage: gnome_bench.sh BUILD_DIR [RUNS]}")
runs=${2:-20}
here=$(cd "$(dirname "$0")/.." && pwd)
parent=$(mktemp -d)
chmod 0711 "$parent"
state=$parent/gnome
cleanup() {
    "$here/tests/wayland/headless-gnome.sh" stop "$state" >/dev/null 2>&1 || true
    rm -rf "$parent"
}
trap cleanup EXIT
# The fixture's extension answers the copies named like Vantrel's own binaries only.
mkdir "$parent/bin"
cp "$build/bench/gnome_picture_bench" "$parent/bin/vantrel_gnome_picture_bench"
"$here/tests/wayland/headless-gnome.sh" start "$state" "$build/data/gnome-shell/vantrel@quendale.com" \
    "$parent/bin/vantrel_gnome_picture_bench" "$build/src/vantrel" >/dev/null
# The bench runs as the desktop's user, from the copy the extension allows as its caller.
owner=$(stat -c %U "$state")
as_owner=()
[[ $owner == "$(id -un)" ]] || as_owner=(runuser -u "$owner" --)
(cd "$state" && "${as_owner[@]}" bash -c '. ./env && QT_QPA_PLATFORM=offscreen exec ./bin/vantrel_gnome_picture_bench "$1"' _ "$runs")
