#!/bin/sh
# module-twin.sh LEGACY OUT: writes the ES-module twin of one script of the extension.
#
# GNOME Shell 45 and newer load extensions as ES modules; 43 and 44 load them through the legacy
# `imports` object. The extension is written once, in the legacy form, keeping to the few header
# shapes below, and this rewrites only those lines, so that both shells run the same code:
#   const X = imports.gi.X;                      -> import X from 'gi://X';
#   const X = imports.ui.y;                      -> import * as X from '…/ui/y.js';
#   const { A, B } = Me.imports.y;               -> import { A, B } from './y.js';
#   var X = …  (a legacy module's export)        -> export var X = …
#   const Me = …getCurrentExtension();           -> (gone: a module imports its siblings)
#   extension.js: the class becomes the default export of an Extension, which carries the
#   metadata and the settings; its init() goes.
# A line of another shape that reaches for `imports`, `Me` or `ExtensionUtils` fails the build,
# so a new header is noticed here rather than in a shell that cannot load it.
set -eu
legacy=$1 out=$2
shell_js=resource:///org/gnome/shell

sed -e "s|^const \([A-Za-z]*\) = imports\.gi\.\([A-Za-z]*\);$|import \1 from 'gi://\2';|" \
    -e "s|^const \([A-Za-z]*\) = imports\.ui\.\([A-Za-z]*\);$|import * as \1 from '$shell_js/ui/\2.js';|" \
    -e "s|^const { \([A-Za-z_, ]*\) } = Me\.imports\.\([A-Za-z]*\);$|import { \1 } from './\2.js';|" \
    -e "s|^const ExtensionUtils = imports\.misc\.extensionUtils;$|import { Extension } from '$shell_js/extensions/extension.js';|" \
    -e '/^const Me = .*getCurrentExtension();$/d' \
    -e 's|^var |export var |' \
    -e 's|^class VantrelExtension {$|export default class VantrelExtension extends Extension {|' \
    -e 's|Me\.metadata|this.metadata|g' \
    -e 's|ExtensionUtils\.getSettings()|this.getSettings()|g' \
    -e '/^function init() {$/,/^}$/d' \
    "$legacy" >"$out.tmp"

if grep -nE '\bimports\.|\bMe\.|ExtensionUtils' "$out.tmp" >&2; then
    echo "module-twin.sh: $legacy: a line above has no module form" >&2
    rm -f "$out.tmp"
    exit 1
fi
mv "$out.tmp" "$out"
