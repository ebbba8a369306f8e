#!/usr/bin/env bash
# Time from starting build/bin/tovrik to its window being mapped, under Xvfb.
# Prints each run and the median. Usage: bench/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-10}
tovrik="$build/bin/tovrik"
[ -x "$tovrik" ] || { echo "startup.sh: $tovrik is not built" >&2; exit 1; }
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "startup.sh: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill -KILL "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" BROWSER=true
mkdir -p "$HOME"

times=()
for i in $(seq "$runs"); do
    start=$(date +%s%N)
    "$tovrik" >/dev/null 2>&1 &
    app_pid=$!
    until xdotool search --onlyvisible --name '^Tovrik$' >/dev/null 2>&1; do
        kill -0 "$app_pid" 2>/dev/null || { echo "startup.sh: tovrik ended early" >&2; exit 1; }
    done
    end=$(date +%s%N)
    kill -KILL "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    ms=$(( (end - start) / 1000000 ))
    times+=("$ms")
    echo "run $i: ${ms} ms"
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
echo "start-up to shown window: median ${median} ms over $runs runs"
