#!/usr/bin/env bash
# The main window end to end: it opens as "Tovrik" at its fixed size, centred;
# "Load Sample/Example Text" and "Start Splitting" react where they are drawn;
# a picture of the split sample goes to BUILD_DIR/e2e/main-window.png; closing
# the window ends the program.
#
# Usage: main_window.sh TOVRIK BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=e2e-lib.sh
source "$here/e2e-lib.sh"
e2e_setup main_window "${1:-}" "${2:-}"

e2e_start_app

# Title and size.
name=$(xdotool getwindowname "$E2E_WID")
[[ "$name" == "Tovrik" ]] || e2e_fail "window title is \"$name\", expected \"Tovrik\""
info=$(xwininfo -id "$E2E_WID")
width=$(awk '/^ *Width:/ { print $2 }' <<<"$info")
height=$(awk '/^ *Height:/ { print $2 }' <<<"$info")
left=$(awk '/Absolute upper-left X:/ { print $4 }' <<<"$info")
top=$(awk '/Absolute upper-left Y:/ { print $4 }' <<<"$info")
[[ "$width" == 536 && "$height" == 671 ]] ||
    e2e_fail "window client area is ${width}x${height}, expected 536x671"
e2e_note "window ${width}x${height} at $left,$top"

# Centred on the 1280x1024 screen (no window manager moves it); a pixel of
# rounding either way is fine.
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
awk -v l="$left" -v t="$top" -v sw="$screen_w" -v sh="$screen_h" 'BEGIN {
        dx = l - (sw - 536) / 2; dy = t - (sh - 671) / 2
        exit !(dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1) }' ||
    e2e_fail "window at $left,$top is not centred on the ${screen_w}x${screen_h} screen"

# The fixed size: the program asks for min = max = 536x671.
hints=$(xprop -id "$E2E_WID" WM_NORMAL_HINTS 2>/dev/null || true)
if ! grep -q 'minimum size: 536 by 671' <<<"$hints" || ! grep -q 'maximum size: 536 by 671' <<<"$hints"; then
    e2e_fail "window does not ask for a fixed size of 536x671; WM_NORMAL_HINTS: $hints"
fi

e2e_load_and_split
e2e_app_alive

# A still picture: pointer off the window, then two equal grabs in a row.
timeout 10 xdotool mousemove 2 2 || true
shot=$E2E_WORK/shots/window.png
window_settled() {
    local a=$E2E_WORK/shots/settle-a.png b=$E2E_WORK/shots/settle-b.png ae
    import -window "$E2E_WID" "$a" 2>>"$E2E_WORK/import.log" || return 1
    sleep 0.2
    import -window "$E2E_WID" "$b" 2>>"$E2E_WORK/import.log" || return 1
    ae=$(compare -metric AE "$a" "$b" null: 2>&1 || true)
    [[ "$ae" == 0 ]] && cp "$b" "$shot"
}
e2e_poll 20 "the window to stop changing before the picture" window_settled
size=$(identify -format '%wx%h' "$shot")
[[ "$size" == 536x671 ]] || e2e_fail "the picture is $size, expected 536x671"
cp "$shot" "$E2E_BUILD/e2e/main-window.png"
e2e_note "picture: $E2E_BUILD/e2e/main-window.png"

# Close the window as a window manager would (WM_DELETE_WINDOW); the program ends.
python3 "$here/wm-close.py" "$E2E_WID" || e2e_fail "could not send WM_DELETE_WINDOW to $E2E_WID"
app_ended() { ! kill -0 "$E2E_APP_PID" 2>/dev/null; }
e2e_poll 20 "tovrik to end after its window was closed" app_ended
status=0
wait "$E2E_APP_PID" || status=$?
E2E_APP_PID=
((status == 0)) || e2e_fail "tovrik ended with status $status after its window was closed"
