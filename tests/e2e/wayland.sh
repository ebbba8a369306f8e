#!/usr/bin/env bash
# The window on Wayland, natively: a headless wlroots compositor (sway), the
# real tovrik with QT_QPA_PLATFORM=wayland, keys typed with wtype through the
# virtual-keyboard protocol, the clipboard read back with wl-paste. Load the
# sample, split it at 160 before a space, tick both rows, copy: the clipboard
# must hold exactly the two pieces, each followed by CR LF.
#
# There is no pointer and no xdotool here: the keyboard drives the window (Tab
# and Shift+Tab move between its controls, Return presses a push button).
# sway refuses to run as root; under root the compositor, the window and the
# tools run as nobody (setpriv), in a work folder under /tmp that user owns.
#
# Usage: wayland.sh TOVRIK BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=e2e-lib.sh
source "$here/e2e-lib.sh"
E2E_NAME=wayland

tovrik=${1:-}
build=${2:-}
[[ -n "$tovrik" && -n "$build" ]] || e2e_fail "usage: $0 TOVRIK BUILD_DIR"
[[ -x "$tovrik" ]] || e2e_fail "the program $tovrik is missing or not executable"
e2e_need sway swaymsg wl-paste wtype timeout python3 cmp od
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || true)
if [[ -z "$plugins" ]]; then
    for plugins in /usr/lib/*/qt6/plugins; do break; done
fi
[[ -f "$plugins/platforms/libqwayland-generic.so" ]] ||
    e2e_skip "Qt's Wayland platform plugin is not installed (qt6-wayland; scripts/bootstrap installs it)"

as_user=()
if (($(id -u) == 0)); then
    e2e_need setpriv
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi

sway_pid=
app_pid=
work=
wayland_cleanup() {
    local rc=$?
    trap - EXIT
    set +e
    local pid end
    for pid in "$app_pid" "$sway_pid"; do
        [[ -n "$pid" ]] || continue
        kill -TERM "$pid" 2>/dev/null
        end=$(e2e_deadline 10)
        while kill -0 "$pid" 2>/dev/null && e2e_before "$end"; do
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    if [[ -n "$work" && -d "$work" ]]; then
        if ((rc == 0 || rc == 77)) && [[ -z "${E2E_KEEP:-}" ]]; then
            rm -rf "$work"
        else
            echo "[$E2E_NAME] kept for a look: $work" >&2
            local log
            for log in sway app; do
                if [[ -s "$work/$log.log" ]]; then
                    echo "[$E2E_NAME] $log output (last lines):" >&2
                    tail -n 20 "$work/$log.log" >&2
                fi
            done
        fi
    fi
    ((rc == 0)) && echo "PASS [$E2E_NAME]"
    exit "$rc"
}
trap wayland_cleanup EXIT
trap 'exit 130' INT TERM

# The work folder: home, runtime folder (0700), settings, the compositor's
# configuration; owned by whoever runs the compositor.
work=$(mktemp -d /tmp/tovrik-wayland.XXXXXX)
chmod 755 "$work"
mkdir -p "$work"/{home/.config/Quandrel,runtime,folder}
chmod 700 "$work/runtime"
# A minimal compositor: no Xwayland, no bar, one screen.
cat >"$work/sway.conf" <<'EOF'
xwayland disable
output * resolution 1280x1024
EOF
# Stored settings: 160 characters, split before 160 at space, an output
# folder that exists ("Start Splitting" checks it).
cat >"$work/home/.config/Quandrel/Tovrik.conf" <<EOF
[Tovrik]
Option1=True
Option2=False
Option3=False
Option4=False
Option5=True
Option6=False
Option7=False
Option8=True
Option9=False
Output%20Folder=$work/folder/
EOF
printf '%s\r\n%s\r\n' "$E2E_PIECE1" "$E2E_PIECE2" >"$work/expected.bin"
if ((${#as_user[@]})); then
    chown -R nobody:nogroup "$work"
fi
# The program where the user can run it.
program=$tovrik
if ! "${as_user[@]}" test -x "$tovrik"; then
    mkdir -p "$work/bin"
    cp "$tovrik" "$work/bin/tovrik"
    chmod 755 "$work/bin" "$work/bin/tovrik"
    program=$work/bin/tovrik
fi

# Everything below runs as that user, with this environment and no other
# display: "${user[@]}" COMMAND... (set again once the compositor is up).
unset WAYLAND_DISPLAY SWAYSOCK
as_user_env() {
    user=("${as_user[@]}" env -i PATH="$PATH" HOME="$work/home"
        XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
        LANG=C.UTF-8 LC_ALL=C.UTF-8 "$@")
}
as_user_env

"${user[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway --config "$work/sway.conf" >"$work/sway.log" 2>&1 &
sway_pid=$!

sway_ready() {
    kill -0 "$sway_pid" 2>/dev/null || e2e_fail "sway exited: $(tail -n 20 "$work/sway.log")"
    local socket ipc
    for socket in "$work"/runtime/wayland-[0-9]*; do
        [[ -S "$socket" ]] && break
    done
    for ipc in "$work"/runtime/sway-ipc.*.sock; do
        [[ -S "$ipc" ]] && break
    done
    [[ -S "$socket" && -S "$ipc" ]] || return 1
    as_user_env WAYLAND_DISPLAY="$(basename "$socket")" SWAYSOCK="$ipc"
    timeout 5 "${user[@]}" swaymsg -t get_version >/dev/null 2>&1
}
e2e_poll 20 "sway to start (log: $work/sway.log)" sway_ready
e2e_note "sway pid $sway_pid, work folder $work"

# The name of the window that has the keyboard focus.
focused_name() {
    timeout 5 "${user[@]}" swaymsg -t get_tree 2>/dev/null | python3 -c '
import json, sys
def walk(node):
    if node.get("focused"):
        print(node.get("name") or "")
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))'
}
app_alive() {
    kill -0 "$app_pid" 2>/dev/null || e2e_fail "tovrik (pid $app_pid) is no longer running"
}
tovrik_focused() {
    app_alive
    [[ "$(focused_name)" == Tovrik ]]
}

# BROWSER: one start in a hundred the program opens the vendor's page.
"${user[@]}" QT_QPA_PLATFORM=wayland BROWSER=true "$program" >"$work/app.log" 2>&1 &
app_pid=$!
e2e_poll 20 "the window \"Tovrik\" to show and take the keyboard focus" tovrik_focused
e2e_note "tovrik pid $app_pid has the focus"

# keys WTYPE-ARGUMENTS...: keys to the focused window. Each wtype brings a
# keyboard of its own to the seat; a key sent before the window has taken it
# up is lost, so each waits a moment before its first key.
keys() {
    app_alive
    timeout 10 "${user[@]}" wtype -s 300 "$@" || e2e_fail "wtype could not type: $*"
}
# tabs N: N times Tab, or Shift+Tab for a negative N, as wtype arguments.
tabs() {
    local n=$1 i
    ((n < 0)) && printf '%s\n' -M shift
    for ((i = 0; i < ${n#-}; ++i)); do
        printf '%s\n' -k Tab
    done
    ((n < 0)) && printf '%s\n' -m shift
    return 0
}
# step N WTYPE-ARGUMENTS...: N Tab stops on, then the keys; one keyboard.
step() {
    local n=$1 moves
    shift
    mapfile -t moves < <(tabs "$n")
    keys "${moves[@]}" "$@"
}

# The focus starts in the message box. The Tab stops, with these settings:
# message, 160 Characters, Split before, results list, Save As Text, Save As
# Excel, Clear List, One Text File, folder box, "...", Start Splitting, Copy,
# Help, Load Sample.
step -1 -k Return # Load Sample/Example Text
step -3 -k Return # back over Help and Copy to Start Splitting
# Back over "...", the folder box, One Text File, Clear List, Save As Excel,
# Save As Text to the results list; select every row, tick them.
step -7 -M ctrl -k a -m ctrl -k space
step 8 -k Return # on to Copy Results To Clipboard

clipboard_is_expected() {
    app_alive
    # The type named: wl-paste would pick one from the file name.
    timeout 10 "${user[@]}" wl-paste --no-newline --type 'text/plain;charset=utf-8' \
        >"$work/clipboard.bin" 2>"$work/wl-paste.log" &&
        cmp -s "$work/expected.bin" "$work/clipboard.bin"
}
end=$(e2e_deadline 20)
while ! clipboard_is_expected; do
    if ! e2e_before "$end"; then
        echo "expected:" >&2
        od -c "$work/expected.bin" >&2
        echo "clipboard:" >&2
        od -c "$work/clipboard.bin" >&2 || true
        cat "$work/wl-paste.log" >&2 || true
        e2e_fail "the clipboard does not hold the two ticked results, each followed by CR LF"
    fi
    sleep 0.2
done
od -c "$work/clipboard.bin" | tail -n 3
