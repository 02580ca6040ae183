#!/bin/sh
# Installs the pinned MCP clients from package-lock.json. Skipped when node_modules was installed
# from this very lock file, so a run without network still works after the first install.
set -eu
cd "$(dirname "$0")"
if [ -f node_modules/.package-lock.json ] && [ node_modules/.package-lock.json -nt package-lock.json ]; then
    exit 0
fi
exec npm ci --no-audit --no-fund --loglevel=error
