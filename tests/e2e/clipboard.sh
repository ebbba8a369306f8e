#!/usr/bin/env bash
# "Copy Results To Clipboard" end to end: load the sample, split it at 160
# before a space, tick both rows, copy. The clipboard must hold exactly the two
# pieces, each followed by CR LF, while the program runs.
#
# Usage: clipboard.sh TOVRIK BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=e2e-lib.sh
source "$here/e2e-lib.sh"
e2e_setup clipboard "${1:-}" "${2:-}"

((${#E2E_PIECE1} == 157 && ${#E2E_PIECE2} == 65)) ||
    e2e_fail "test data: pieces of ${#E2E_PIECE1} and ${#E2E_PIECE2} characters, expected 157 and 65"

e2e_start_app
e2e_load_and_split

# The message box holds the sample, to the character.
e2e_click "$E2E_AT_MESSAGE"
e2e_key ctrl+a
e2e_key ctrl+c
printf '%s' "$E2E_SAMPLE" >"$E2E_WORK/expected-sample.bin"
e2e_expect_clipboard "$E2E_WORK/expected-sample.bin" \
    "the sample text (copied out of the message box after \"Load Sample/Example Text\")"

# A word double-clicked in the message box becomes the primary selection,
# which X11 programs paste with a middle click.
primary_holds_sample_text() {
    local text
    text=$(timeout 10 xclip -selection primary -o 2>/dev/null) || return 1
    [[ -n "$text" && "$text" != *" "* && "$E2E_SAMPLE" == *"$text"* ]]
}
read -r x y <<<"$E2E_AT_MESSAGE"
e2e_key ctrl+Home # (no selection left under the pointer)
# (Later than the click above could make a double click with the first.)
timeout 10 xdotool sleep 0.5 mousemove 0 0 mousemove --sync --window "$E2E_WID" "$x" "$y" \
    click --repeat 2 1 ||
    e2e_fail "xdotool could not double-click at $x,$y"
e2e_poll 20 "a double-clicked word of the message as the primary selection" \
    primary_holds_sample_text

# That word, dragged to the start of the box, moves there; one Ctrl+Z takes
# the move back. (Each place the word stands in the sample is a candidate.)
word=$(timeout 10 xclip -selection primary -o)
WORD="$word" SAMPLE="$E2E_SAMPLE" OUT="$E2E_WORK" /usr/bin/python3 -c '
import os
word, sample = os.environ["WORD"], os.environ["SAMPLE"]
at = sample.find(word)
while at >= 0:
    moved = word + sample[:at] + sample[at + len(word):]
    open(os.path.join(os.environ["OUT"], "moved-%d.bin" % at), "wb").write(moved.encode())
    at = sample.find(word, at + 1)
'
moved_to_start() {
    local candidate
    e2e_clipboard_to "$E2E_WORK/clipboard.bin" || return 1
    for candidate in "$E2E_WORK"/moved-*.bin; do
        cmp -s "$candidate" "$E2E_WORK/clipboard.bin" && return 0
    done
    return 1
}
left=${E2E_REGION_MESSAGE#*+}
top=${left#*+}
left=${left%+*}
# (Parked first, as in e2e_click; and later than a triple click would be.)
timeout 10 xdotool sleep 0.5 mousemove 0 0 mousemove --sync --window "$E2E_WID" "$x" "$y" mousedown 1 \
    mousemove_relative --sync 0 8 sleep 0.2 mousemove_relative --sync 0 8 sleep 0.2 \
    mousemove --sync --window "$E2E_WID" "$((left + 3))" "$((top + 5))" sleep 0.2 \
    mousemove_relative --sync 1 0 sleep 0.2 mouseup 1 ||
    e2e_fail "xdotool could not drag from $x,$y"
# The box's text, copied out: the clipboard is emptied first, so that a copy
# of nothing cannot pass for the text.
copy_box() {
    printf '' | timeout 10 xclip -selection clipboard -i || e2e_fail "xclip could not empty the clipboard"
    e2e_key ctrl+a
    e2e_key ctrl+c
}
copy_box
e2e_poll 20 "the word \"$word\" moved to the start of the message box" moved_to_start
e2e_key ctrl+z
copy_box
e2e_expect_clipboard "$E2E_WORK/expected-sample.bin" "the sample again after Ctrl+Z undid the move"
# The whole text, dropped onto itself, moved or copied (Ctrl held), stays as
# it is.
drop_onto_itself() { # KEY: the key held during the drag, or none
    e2e_key ctrl+a
    sleep 0.5
    timeout 10 xdotool mousemove 0 0 mousemove --sync --window "$E2E_WID" "$x" "$y" sleep 0.2 \
        ${1:+keydown "$1"} mousedown 1 sleep 0.2 ||
        e2e_fail "xdotool could not press at $x,$y"
    for step in 1 2 3 4 5 6; do
        timeout 10 xdotool sleep 0.15 mousemove --window "$E2E_WID" "$((x - 10 * step))" "$y" ||
            e2e_fail "xdotool could not drag from $x,$y"
    done
    timeout 10 xdotool sleep 0.3 mouseup 1 sleep 0.3 ${1:+keyup "$1"} ||
        e2e_fail "xdotool could not drop"
    copy_box
    e2e_expect_clipboard "$E2E_WORK/expected-sample.bin" \
        "the sample, unchanged by a drop onto itself${1:+ with $1 held}"
}
drop_onto_itself
drop_onto_itself ctrl

e2e_tick_all

E2E_BOX=
e2e_click "$E2E_AT_COPY"
e2e_poll 20 "the message box after \"Copy Results To Clipboard\"" e2e_message_box_shown
e2e_note "message box $E2E_BOX"
e2e_focus "$E2E_BOX"
e2e_key Return
e2e_poll 20 "the message box $E2E_BOX to close after Return" e2e_window_gone "$E2E_BOX"
e2e_app_alive

printf '%s\r\n%s\r\n' "$E2E_PIECE1" "$E2E_PIECE2" >"$E2E_WORK/expected-results.bin"
e2e_expect_clipboard "$E2E_WORK/expected-results.bin" \
    "the two ticked results, each followed by CR LF"
od -c "$E2E_WORK/clipboard.bin" | tail -n 3
