#!/usr/bin/env bash
# shellcheck disable=SC2086 # the word lists below are split into words on purpose
# Installs a build into a temporary DESTDIR and checks what lands there: exactly the listed files
# with their modes, PNGs of their folder's size, a desktop entry and metainfo the validators pass,
# one version everywhere, and a manual page and completions that know every command, option and
# setting the binary's own usage texts name.
# Usage: check-install.sh BUILD_DIR FILES_LIST
set -euo pipefail
build=$1
files=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$work/root/opt/vantrel
DESTDIR=$work/root cmake --install "$build" --prefix /opt/vantrel >"$work/install.log" ||
    fail "cmake --install: $(cat "$work/install.log")"
diff <(grep -v '^#' "$files" | LC_ALL=C sort) \
    <(find "$work/root" -type f -printf '%m %P\n' | sed 's| opt/vantrel/| |' | LC_ALL=C sort) ||
    fail "the installed files differ from $files (<: expected, >: installed)"
for png in "$prefix"/share/icons/hicolor/*x*/apps/vantrel.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    file "$png" | grep -q "PNG image data, ${size/x/ x }," || fail "$png is not $size: $(file "$png")"
done

share=$prefix/share
# desktop-file-validate passes with hints: only silence is clean.
output=$(desktop-file-validate "$share/applications/vantrel.desktop" 2>&1) || true
[[ -z $output ]] || fail "desktop-file-validate: $output"
# appstreamcli passes with infos and pedantic notes: none may be left either.
if ! output=$(appstreamcli validate --no-net --pedantic "$share/metainfo/"*.metainfo.xml 2>&1) ||
    grep -qE '^[EWIP]: ' <<<"$output"; then
    fail "appstreamcli validate: $output"
fi

# The commands run in a home of their own, off screen.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
export XDG_DATA_HOME=$work/home/.local/share XDG_RUNTIME_DIR=$work/home/.run QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
vantrel=$prefix/bin/vantrel

version=$("$vantrel" --version | cut -d' ' -f2)
grep -q "<release version=\"$version\"" "$share/metainfo/"*.metainfo.xml || fail "metainfo is not $version"
zcat "$share/man/man1/vantrel.1.gz" | grep -q "\"Vantrel $version\"" || fail "man page is not $version"
zcat "$share/doc/vantrel/changelog.gz" | head -1 | grep -q "^vantrel ($version)" ||
    fail "changelog is not $version"
# The GNOME Shell extension carries the same version and answers the vantrel of this very install.
metadata=$share/gnome-shell/extensions/vantrel@quendale.com/metadata.json
grep -q "\"vantrel-version\": \"$version\"" "$metadata" || fail "the extension is not $version"
grep -q '"vantrel-executables": \["/opt/vantrel/bin/vantrel"\]' "$metadata" ||
    fail "the extension does not allow /opt/vantrel/bin/vantrel: $(cat "$metadata")"

# The clipboard server runs from its installed place, without Qt: told of a display it cannot
# reach, it leaves that reason beside the payload, as vantrel reads it.
server=$prefix/lib/vantrel/vantrel-clipboard
readelf -d "$server" | grep -q 'NEEDED.*libQt' && fail "the clipboard server links Qt: $(readelf -d "$server")"
(umask 077 && : >"$XDG_RUNTIME_DIR/test.payload")
status=0
DISPLAY=:vantrel-install-test "$server" "$XDG_RUNTIME_DIR/test.payload" $$ x11 || status=$?
[[ $status == 1 && $(cat "$XDG_RUNTIME_DIR/test.payload.error") == 'Cannot reach the X server at ":vantrel-install-test"'* ]] ||
    fail "the installed clipboard server did not report the unreachable display (exit $status)"

# What the binary says it knows: its commands and options, capture's options, the settings and
# their values (the settings usage lines read "  NAME: VALUE | VALUE").
usage=$("$vantrel" --help)
capture_usage=$("$vantrel" capture --no-such-option 2>&1 | sed -n '/usage:/,$p') || true
settings_usage=$("$vantrel" settings no-such-setting 2>&1 | grep '^  ') || true
commands=$(grep -oE '^ *(usage: )?vantrel [a-z]+' <<<"$usage" | awk '{print $NF}')
options=$(grep -oE -- '--[a-z][a-z-]+' <<<"$usage" | sort -u)
capture_options=$(grep -oE -- '--[a-z][a-z-]+' <<<"$capture_usage" | sort -u)
settings=$(cut -d: -f1 <<<"$settings_usage" | tr -d ' ')
values=$(cut -d: -f2 <<<"$settings_usage" | tr -d '|')
words=$(printf '%s\n' $commands $options $capture_options $settings $values | sort -u)
[[ $(wc -l <<<"$words") -gt 20 ]] || fail "too few words in the usage texts: $words"

# The manual page, as text: roff's escaped hyphens and font changes undone.
man_text=$(zcat "$share/man/man1/vantrel.1.gz" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g')
for file in man "$share/zsh/site-functions/_vantrel" "$share/fish/vendor_completions.d/vantrel.fish"; do
    if [[ $file == man ]]; then text=$man_text; else text=$(<"$file"); fi
    for word in $words; do
        pattern=$word
        [[ $file == *.fish && $word == --* ]] && pattern="-l ${word#--}" # fish's long options
        grep -qE -- "(^|[^A-Za-z0-9-])$pattern([^A-Za-z0-9-]|$)" <<<"$text" ||
            fail "$file does not name $word"
    done
done

# bash's completion, run: what it offers after each word is exactly what the binary knows.
# shellcheck source=/dev/null
source "$share/bash-completion/completions/vantrel"
offers() {
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    _vantrel
    printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() {
    local expected
    expected=$(printf '%s\n' $2 | sort)
    [[ $(offers vantrel $1 '') == "$expected" ]] || fail "bash offers after '$1': $(offers vantrel $1 '')"
}
expect '' "$commands $(comm -23 <(echo "$options") <(echo "$capture_options"))"
expect capture "$capture_options"
expect doctor --json
expect 'capture --mode' "$(grep -oE -- '--mode [a-z|]+' <<<"$capture_usage" | cut -d' ' -f2 | tr '|' ' ')"
while IFS=: read -r name list; do
    expect "settings ${name// /}" "${list//|/}"
done <<<"$settings_usage"
echo "install tree, validators, versions, manual page and completions: OK"
