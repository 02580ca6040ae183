#!/bin/bash
# Times, on a private headless GNOME Shell (the one the Wayland tests use), GNOME's pictures
# (Vantrel's extension against the Screenshot portal) and the tray app's Ctrl+Alt+C to the
# clipboard against its floor (picture + bounded walk + JPEG in one process), over a GTK window
# of about 1000 accessible nodes. Prints figures; passes or fails nothing. As root the desktop and
# the benches run as the system user vantrel-test (make wayland-deps creates it).
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
for bench in gnome_picture_bench gnome_hotkey_bench desktop_floor_bench; do
    cp "$build/bench/$bench" "$parent/bin/vantrel_$bench"
done
"$here/tests/wayland/headless-gnome.sh" start "$state" "$build/data/gnome-shell/vantrel@quendale.com" \
    "$parent"/bin/vantrel_* "$build/src/vantrel" "$here/tests/desktop/apps/gtk_probe.py" >/dev/null
# The bench runs as the desktop's user, from the copy the extension allows as its caller.
owner=$(stat -c %U "$state")
as_owner=()
[[ $owner == "$(id -un)" ]] || as_owner=(runuser -u "$owner" --)
(cd "$state" && "${as_owner[@]}" bash -c '. ./env && QT_QPA_PLATFORM=offscreen exec ./bin/vantrel_gnome_picture_bench "$1"' _ "$runs")

# The tray app with the probe under the pointer, as the desktop's user.
echo
echo "== The tray app: Ctrl+Alt+C to the clipboard, $runs runs over a GTK window of 1000 nodes"
(cd "$state" && "${as_owner[@]}" bash -s "$runs" <<'AS_OWNER')
set -euo pipefail
. ./env
runs=$1
# The probe lives as long as its stdin, held open here; the app is quit here too, since the
# desktop's stop ends only what the desktop started.
mkfifo probe.in
python3 ./bin/gtk_probe.py --nodes 1000 <probe.in >probe.out 2>&1 &
exec 3>probe.in
until grep -q '^ready' probe.out; do sleep 0.1; done
./bin/vantrel >tray.log 2>&1 &
tray=$!
trap 'kill "$tray" 2>/dev/null; exec 3>&-' EXIT
# Ready once it has said what the user must be told (the fixture holds Ctrl+Alt+R).
until grep -q 'Ctrl+Alt+R is held' tray.log; do sleep 0.1; done
./bin/vantrel_gnome_hotkey_bench "Vantrel Probe" 2 >/dev/null # warm-up
./bin/vantrel_gnome_hotkey_bench "Vantrel Probe" "$runs" >hotkey.out
read -r _ x y < <(head -1 hotkey.out)
tail -n +2 hotkey.out >hotkey
QT_QPA_PLATFORM=offscreen ./bin/vantrel_desktop_floor_bench "$x" "$y" "$runs" |
    awk '{ print $1 + $2 + $3 }' >hotkey-floor
percentiles() {
    sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) { printf "no runs"; exit }
        i50 = int((NR + 1) / 2); i95 = int(NR * 0.95 + 0.5); if (i95 < 1) i95 = 1
        printf "p50 %.1f ms  p95 %.1f ms", v[i50], v[i95] }'
}
median() { percentiles | awk '{ print $2 }'; }
echo "  Ctrl+Alt+C to the clipboard owned: $(percentiles <hotkey)  ($(wc -l <hotkey) runs)"
echo "  floor (picture + bounded walk + JPEG, in process): $(percentiles <hotkey-floor)"
awk -v a="$(median <hotkey)" -v b="$(median <hotkey-floor)" \
    'BEGIN { printf "  hotkey ÷ floor (p50) = %.2f   (target ≤ 1.5)\n", a / b }'
AS_OWNER
