#!/usr/bin/env bash
# Runs every benchmark of the build folder given (default: build).
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
for b in "$build"/bench/*; do
    [ -x "$b" ] && [ -f "$b" ] || continue
    echo "== $(basename "$b")"
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$b"
done
for s in "$here"/*.sh; do
    [ "$(basename "$s")" = run-all.sh ] && continue
    echo "== $(basename "$s")"
    "$s" "$build"
done
