#!/bin/sh
# extension-forms.sh NODE TWIN LEGACY_DIR MODULES_DIR: the two forms of the GNOME Shell extension.
# The legacy form runs in the suite's GNOME Shell 43; no shell of 45 or newer runs here, so the
# module form is checked for what breaks it before any shell loads it: every script parses as an
# ES module, every name a script imports from a sibling is exported there, the entry point has a
# default export, and the metadata names the shells of its form. The twin script refuses a
# header it cannot translate.
set -u
node=$1 twin=$2 legacy=$3 modules=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for script in "$modules"/*.js; do
    "$node" --input-type=module --check <"$script" || fail "$script is not an ES module"
    # import { A, B } from './sibling.js';
    sed -n "s|^import { \(.*\) } from '\./\(.*\)';$|\2 \1|p" "$script" |
        while read -r sibling names; do
            for name in $(echo "$names" | tr ',' ' '); do
                grep -q "^export var $name\b" "$modules/$sibling" ||
                    echo "FAIL: $script imports $name, which $sibling does not export"
            done
        done | grep FAIL && failures=$((failures + 1))
done
grep -q '^export default class .* extends Extension {$' "$modules/extension.js" ||
    fail "extension.js has no default export"
grep -q '^function init()' "$modules/extension.js" && fail "the module form keeps init()"
grep -q '"shell-version": \["45",' "$modules/metadata.json" || fail "modules: shell versions"
grep -q '"shell-version": \["43", "44"\]' "$legacy/metadata.json" || fail "legacy: shell versions"

# A header of a shape the twin does not know fails, and leaves no half-made script.
scratch=$(mktemp -d)
printf "const Util = imports.misc.util;\n" >"$scratch/new.js"
"$twin" "$scratch/new.js" "$scratch/out.js" 2>/dev/null && fail "an unknown header was accepted"
[ -e "$scratch/out.js" ] || [ -e "$scratch/out.js.tmp" ] && fail "a refused script left a file"
rm -rf "$scratch"

[ "$failures" -eq 0 ] && echo "both forms hold"
exit "$failures"
