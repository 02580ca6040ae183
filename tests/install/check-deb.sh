#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it: its name and version, lintian
# without an error or a warning, computed dependencies, the listed files (root's, with their
# modes, the binaries stripped), and that the unpacked binary runs the demo.
# Usage: check-deb.sh BUILD_DIR FILES_LIST BINARY (the build's vantrel)
set -euo pipefail
build=$1
files=$2
vantrel=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$work/cpack.log")"
version=$("$vantrel" --version | cut -d' ' -f2)
deb=$work/out/vantrel_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "no $deb: $(ls "$work/out")"

# Lintian's own notes (it dislikes running as root) are not about the package.
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
if grep -E '^[EW]: ' "$work/lintian.log"; then fail "lintian found the above"; fi
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version is not $version"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6gui6' || fail "dependencies were not computed"
# The clipboard server speaks X11 and Wayland itself.
for library in libwayland-client0 libxcb1; do
    dpkg-deb -f "$deb" Depends | grep -q "$library" || fail "no dependency on $library"
done

listing=$(dpkg-deb -c "$deb")
echo "$listing"
awk '$2 != "root/root" || ($1 ~ /^d/ && $1 != "drwxr-xr-x")' <<<"$listing" | grep . &&
    fail "entries above are not root's or not 755 folders"
dpkg-deb -x "$deb" "$work/root"
diff <(grep -v '^#' "$files" | sed 's|zsh/site-functions|zsh/vendor-completions|' | LC_ALL=C sort) \
    <(find "$work/root" -type f -printf '%m %P\n' | sed 's| usr/| |' | LC_ALL=C sort) ||
    fail "the package's files differ from $files (<: expected, >: packaged)"
for binary in bin/vantrel lib/vantrel/vantrel-clipboard; do
    file "$work/root/usr/$binary" | grep -q ', stripped' || fail "$binary is not stripped"
done

# The unpacked binary, in a home of its own, off screen.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
export XDG_DATA_HOME=$work/home/.local/share XDG_RUNTIME_DIR=$work/home/.run QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
[[ $("$work/root/usr/bin/vantrel" --version) == "$("$vantrel" --version)" ]] ||
    fail "the packaged binary's version differs from the build's"
demo=$("$work/root/usr/bin/vantrel" demo) || fail "demo failed: $demo"
folder=$(sed -n 's/^Capture folder: //p' <<<"$demo")
[[ $folder == "$XDG_CACHE_HOME"/* && -s $folder/screenshot.png && -s $folder/capture.md ]] ||
    fail "demo made no capture folder in the temporary home: $demo"
echo "package $(basename "$deb"): lintian clean, contents and demo OK"
