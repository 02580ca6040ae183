#!/usr/bin/env bash
# Runs the Wayland tests on a newer GNOME Shell than the build machine has, with the extension's
# ES-module form: Debian 13 (GNOME Shell 48) in a folder of its own, made with debootstrap.
#
#   newer-gnome.sh ROOT BUILD_DIR [gtest arguments...]     (as root; `make test-newer-gnome`)
#
# ROOT is made once (about 1.5 GB, several minutes) and reused. The build's own binaries run in
# it: Qt 6 and the other libraries they link keep their interfaces in Debian 13. This is not part
# of `make test`, which must not download a second system; run it when the extension changes.
set -Eeuo pipefail

readonly SUITE=trixie MIRROR=http://deb.debian.org/debian
readonly PACKAGES="gnome-shell dbus-daemon dbus-user-session at-spi2-core libglib2.0-bin python3
  python3-gi gir1.2-gtk-3.0 gir1.2-atspi-2.0 wl-clipboard procps util-linux xdg-desktop-portal
  xdg-desktop-portal-gnome qt6-wayland qt6-qpa-plugins libqt6widgets6 libqt6dbus6 libqt6network6
  libqt6concurrent6 libturbojpeg0 libxcb-shm0 libxcb-randr0 libxcb-xinput0 xwayland"
readonly STATE=/tmp/vantrel-newer-gnome INSIDE=/opt/vantrel

say() { echo "newer-gnome: $*" >&2; }
(($# >= 2)) || { echo "usage: $0 ROOT BUILD_DIR [gtest arguments...]" >&2; exit 2; }
((EUID == 0)) || { say "run as root: it makes and enters a system folder"; exit 2; }
root=$(realpath -m "$1") build=$(realpath "$2")
shift 2
here=$(dirname "$(realpath "$0")")

# debootstrap cannot resolve the desktop's alternatives (logind, the session bus) itself, so the
# base system comes first and apt installs the rest, and whatever this list gains later.
make_root() {
    command -v debootstrap >/dev/null || apt-get install -y -q debootstrap
    [[ -x $root/usr/bin/apt-get ]] || debootstrap --variant=minbase "$SUITE" "$root" "$MIRROR"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    # Nothing starts services inside.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod +x "$root/usr/sbin/policy-rc.d"
    # Xwayland puts its sockets here, as on any desktop system.
    install -d -m 1777 "$root/tmp/.X11-unix"
}

install_packages() {
    # shellcheck disable=SC2086
    if ! in_root dpkg -s $PACKAGES >/dev/null 2>&1; then
        in_root apt-get update -q
        # shellcheck disable=SC2086
        DEBIAN_FRONTEND=noninteractive in_root apt-get install -y -q --no-install-recommends \
            $PACKAGES
    fi
    in_root id -u vantrel-test >/dev/null 2>&1 ||
        in_root useradd --system --create-home --home-dir /var/lib/vantrel-test vantrel-test
}

in_root() { chroot "$root" "$@"; }

mounted=()
mount_once() {
    mountpoint -q "$root/$1" && return 0
    mount "${@:2}" "$root/$1"
    mounted=("$root/$1" "${mounted[@]}")
}
unmount_all() {
    in_root "$INSIDE/tests/wayland/headless-gnome.sh" stop "$STATE" 2>/dev/null || true
    local point
    for point in "${mounted[@]}"; do umount -R "$point" || true; done
}

# What the run needs, where the root sees it: the fixture's scripts, the module form of the
# extension and the build's binaries.
copy_in() {
    rm -rf "$root$INSIDE"
    mkdir -p "$root$INSIDE/tests"
    cp -R "$here" "$here/../support" "$root$INSIDE/tests/"
    cp -R "$build/data/gnome-shell/modules/vantrel@quendale.com" "$root$INSIDE/extension"
    cp "$build/tests/wayland/vantrel_wayland_tests" "$build/src/vantrel" "$build/src/vantrel-clipboard" \
        "$build/tests/desktop/qt_probe" "$here/../desktop/apps/gtk_probe.py" "$root$INSIDE/"
    chmod -R a+rX "$root$INSIDE"
}

make_root
trap unmount_all EXIT
mount_once proc -t proc proc
mount_once sys --rbind /sys
mount_once dev --rbind /dev
install_packages
copy_in
say "$(in_root gnome-shell --version) with the extension's module form"
in_root "$INSIDE/tests/wayland/headless-gnome.sh" start "$STATE" "$INSIDE/extension" \
    "$INSIDE/vantrel_wayland_tests" "$INSIDE/vantrel" "$INSIDE/vantrel-clipboard" "$INSIDE/qt_probe" \
    "$INSIDE/gtk_probe.py"

# As in make test, a test may run up to three times: the headless shell now and then turns a
# synthetic key or drag into nothing. Three failures in a row are a fault.
run_tests() { in_root env VANTREL_GNOME_STATE="$STATE" "$INSIDE/vantrel_wayland_tests" "$@"; }
filter=
for round in 1 2 3; do
    log=$(run_tests "$@" ${filter:+"--gtest_filter=$filter"} 2>&1) && { echo "$log"; exit 0; }
    echo "$log"
    failed=$(sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_/.]*\).*/\1/p' <<<"$log" | sort -u | paste -sd:)
    [[ -n $failed ]] || exit 1
    filter=$failed
    ((round < 3)) && say "running again: $failed"
done
exit 1
