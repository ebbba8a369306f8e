#!/usr/bin/env bash
# Takes README's picture of the window (docs/main-window.png) through the
# end-to-end test of the main window, with a neutral home folder, so that the
# output folder box shows /home/user/ rather than a path of this machine.
# Usage: scripts/readme-picture.sh [BUILD_DIR]   (creates /home/user if needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
home=/home/user
made=
if [ ! -d "$home" ]; then
    mkdir -p "$home"
    made=1
fi
trap '[ -z "$made" ] || rm -rf "$home"' EXIT
E2E_HOME=$home bash tests/e2e/main_window.sh "$build/bin/tovrik" "$build"
cp "$build/e2e/main-window.png" docs/main-window.png
echo "docs/main-window.png updated"
