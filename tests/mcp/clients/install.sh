#!/bin/sh
# Installs the pinned MCP clients from package-lock.json and, where the system's node is older
# than 20 (Debian 12 ships 18), the Node.js 20 pinned in runtime/. Each is skipped when it was
# installed from its current lock file, so later runs need no network.
set -eu
cd "$(dirname "$0")"
installed() {
    [ -f "$1/node_modules/.package-lock.json" ] &&
        [ "$1/node_modules/.package-lock.json" -nt "$1/package-lock.json" ]
}
if ! ./node.sh --system-is-enough && ! installed runtime; then
    (cd runtime && npm ci --no-audit --no-fund --loglevel=error)
fi
installed . || npm ci --no-audit --no-fund --loglevel=error
