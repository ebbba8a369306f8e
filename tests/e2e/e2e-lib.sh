# Shared helpers of the end-to-end scripts: a private X server (Xvfb, no
# window manager), a private home and settings folder, the real tovrik binary
# driven with xdotool, the clipboard read with xclip. Sourced, not run.
#
# Every wait is a bounded poll; nothing here sleeps for a fixed time and
# hopes. Everything started is stopped again on exit, LibreOffice included:
# the program is started with a marker variable in its environment, which the
# programs it starts inherit, and the cleanup ends exactly the processes that
# carry it.
#
# Variables here are read by the scripts that source this file.
# shellcheck disable=SC2034

# The text of "Load Sample/Example Text".
E2E_SAMPLE='The individual has always had to struggle to keep from being overwhelmed by the tribe. If you try it, you will be lonely often, and sometimes frightened. But no price is too high to pay for the privilege of owning yourself.'
# Split before 160 at space: the blank before "no price" goes.
E2E_PIECE1="${E2E_SAMPLE%% no price*}"
E2E_PIECE2="no price${E2E_SAMPLE#* But no price}"

# Window coordinates (client area) of the controls used here: the centre of
# each control, frame origin + child position + half the size.
E2E_AT_LOAD_SAMPLE="400 21"    # PushButton8 (272, 8, 256, 27)
E2E_AT_MESSAGE="268 223"       # Text2 in Frame3: (8+16, 166+20, 488, 75)
E2E_AT_START="268 291"         # PushButton2 (8, 278, 520, 27)
E2E_AT_LIST="268 370"          # ListView1 in Frame4: (8+16, 310+20, 488, 81)
E2E_AT_SAVE_EXCEL="392 431"    # PushButton3 in Frame4: (8+264, 310+108, 240, 27)
E2E_AT_COPY="144 465"          # PushButton6 in Frame4: (8+16, 310+142, 240, 27)
E2E_AT_OPTION9="140 551"       # Option9 in Frame5: (8+16, 500+43, 233, 17)
E2E_AT_PREFIX="208 579"        # Text3 in Frame5: (8+152, 500+68, 96, 23)
# Regions (WxH+X+Y) watched to see that a click had its effect.
E2E_REGION_MESSAGE="488x75+24+186"
E2E_REGION_LIST="488x81+24+330"

E2E_NAME=${E2E_NAME:-e2e}
E2E_APP_PID=
E2E_WID=
E2E_XVFB_PID=
E2E_WORK=
E2E_MARK=

e2e_note() { echo "[$E2E_NAME] $*"; }

e2e_fail() {
    echo "FAIL [$E2E_NAME]: $*" >&2
    exit 1
}

e2e_skip() {
    echo "SKIP [$E2E_NAME]: $*"
    exit 77
}

e2e_need() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || e2e_skip "$tool is not installed (scripts/bootstrap installs it)"
    done
}

# Seconds since the epoch with fractions, for deadlines.
e2e_now() { date +%s.%N; }
e2e_before() { awk -v now="$(e2e_now)" -v end="$1" 'BEGIN { exit !(now < end) }'; }
e2e_deadline() { awk -v now="$(e2e_now)" -v s="$1" 'BEGIN { printf "%.3f", now + s }'; }

# e2e_poll SECONDS WHAT COMMAND...: run COMMAND until it succeeds; fail with
# "WHAT" after SECONDS.
e2e_poll() {
    local seconds=$1 what=$2
    shift 2
    local end
    end=$(e2e_deadline "$seconds")
    while true; do
        if "$@"; then
            return 0
        fi
        e2e_before "$end" || e2e_fail "timed out after ${seconds} s waiting for $what"
        sleep 0.1
    done
}

# e2e_setup NAME TOVRIK BUILD_DIR: private folders, private X server, traps.
e2e_setup() {
    E2E_NAME=$1
    E2E_TOVRIK=$2
    E2E_BUILD=$3
    [[ -n "$E2E_TOVRIK" && -n "$E2E_BUILD" ]] || e2e_fail "usage: $0 TOVRIK BUILD_DIR"
    [[ -x "$E2E_TOVRIK" ]] || e2e_fail "the program $E2E_TOVRIK is missing or not executable"
    e2e_need Xvfb xdotool xclip xwininfo import compare timeout python3

    mkdir -p "$E2E_BUILD/e2e"
    E2E_WORK=$(cd "$E2E_BUILD/e2e" && pwd)/work-$E2E_NAME
    rm -rf "$E2E_WORK"
    mkdir -p "$E2E_WORK"/{home,config,cache,data,tmp,runtime,shots}
    chmod 700 "$E2E_WORK/runtime"
    # E2E_HOME: a home folder of the caller's, for pictures that show its path.
    export HOME=${E2E_HOME:-$E2E_WORK/home}
    export XDG_CONFIG_HOME=$E2E_WORK/config
    export XDG_CACHE_HOME=$E2E_WORK/cache
    export XDG_DATA_HOME=$E2E_WORK/data
    export XDG_RUNTIME_DIR=$E2E_WORK/runtime
    export TMPDIR=$E2E_WORK/tmp
    export LANG=C.UTF-8 LC_ALL=C.UTF-8
    export QT_QPA_PLATFORM=xcb
    # One start in a hundred the program opens the vendor's page; no browser here.
    export BROWSER=true
    unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER XDG_CURRENT_DESKTOP \
        DESKTOP_SESSION QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR \
        QT_ENABLE_HIGHDPI_SCALING QT_STYLE_OVERRIDE QT_QPA_PLATFORMTHEME XAUTHORITY
    E2E_MARK="$E2E_NAME-$$-$RANDOM$RANDOM"
    E2E_CONF=$XDG_CONFIG_HOME/Quandrel/Tovrik.conf

    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM

    # -displayfd: the server picks a free display and writes its number when
    # ready. -noreset: a restart of the program must not meet a server that is
    # resetting because its last client went away.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -noreset \
        3>"$E2E_WORK/display" >"$E2E_WORK/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    e2e_poll 20 "Xvfb to start (log: $E2E_WORK/xvfb.log)" e2e_xvfb_ready
    DISPLAY=":$(tr -d '[:space:]' <"$E2E_WORK/display")"
    export DISPLAY
    e2e_note "Xvfb on $DISPLAY, work folder $E2E_WORK"
}

e2e_xvfb_ready() {
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || e2e_fail "Xvfb exited: $(cat "$E2E_WORK/xvfb.log")"
    [[ -s "$E2E_WORK/display" ]] && grep -q '[0-9]' "$E2E_WORK/display"
}

# Processes carrying this run's marker: the program and whatever it started.
e2e_marked_pids() {
    local dir pid
    for dir in /proc/[0-9]*; do
        pid=${dir#/proc/}
        [[ "$pid" == "$$" ]] && continue
        if tr '\0' '\n' 2>/dev/null <"$dir/environ" | grep -xF "TOVRIK_E2E_RUN=$E2E_MARK" >/dev/null; then
            echo "$pid"
        fi
    done
}

e2e_stop_pids() {
    local pids=("$@") pid end
    ((${#pids[@]})) || return 0
    kill -TERM "${pids[@]}" 2>/dev/null || true
    end=$(e2e_deadline 10)
    while e2e_before "$end"; do
        local alive=0
        for pid in "${pids[@]}"; do
            kill -0 "$pid" 2>/dev/null && alive=1
        done
        ((alive)) || return 0
        sleep 0.1
    done
    kill -KILL "${pids[@]}" 2>/dev/null || true
}

e2e_cleanup() {
    local rc=$?
    trap - EXIT
    set +e
    if [[ -n "$E2E_MARK" ]]; then
        local pids
        mapfile -t pids < <(e2e_marked_pids)
        e2e_stop_pids "${pids[@]}"
    fi
    [[ -n "$E2E_APP_PID" ]] && wait "$E2E_APP_PID" 2>/dev/null
    if [[ -n "$E2E_XVFB_PID" ]]; then
        kill -TERM "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
    fi
    if ((rc == 0 || rc == 77)) && [[ -z "${E2E_KEEP:-}" ]]; then
        [[ -n "$E2E_WORK" ]] && rm -rf "$E2E_WORK"
    elif [[ -n "$E2E_WORK" && -d "$E2E_WORK" ]]; then
        echo "[$E2E_NAME] kept for a look: $E2E_WORK" >&2
        if [[ -s "$E2E_WORK/app.log" ]]; then
            echo "[$E2E_NAME] program output (last lines):" >&2
            tail -n 20 "$E2E_WORK/app.log" >&2
        fi
    fi
    ((rc == 0)) && echo "PASS [$E2E_NAME]"
    exit "$rc"
}

# Visible windows of PID named exactly NAME (an extended regex), one id a line.
e2e_windows_of() {
    xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null || true
}

e2e_app_alive() {
    kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "tovrik (pid $E2E_APP_PID) is no longer running"
}

e2e_main_window_shown() {
    e2e_app_alive
    local ids
    ids=$(e2e_windows_of "$E2E_APP_PID" '^Tovrik$')
    [[ -n "$ids" ]] || return 1
    E2E_WID=$(head -n 1 <<<"$ids")
}

# Starts the program and waits (up to 20 s) for its window "Tovrik".
e2e_start_app() {
    env TOVRIK_E2E_RUN="$E2E_MARK" "$E2E_TOVRIK" >>"$E2E_WORK/app.log" 2>&1 &
    E2E_APP_PID=$!
    E2E_WID=
    e2e_poll 20 "the window named \"Tovrik\" of pid $E2E_APP_PID" e2e_main_window_shown
    e2e_note "tovrik pid $E2E_APP_PID, window $E2E_WID"
    e2e_focus "$E2E_WID"
}

# Keyboard focus to a window (no window manager hands it out here).
e2e_focus() {
    timeout 10 xdotool windowfocus --sync "$1" ||
        e2e_fail "could not give the keyboard focus to window $1"
}

# e2e_click "X Y": a left click at window coordinates of the main window.
e2e_click() {
    local x y
    read -r x y <<<"$1"
    e2e_app_alive
    # Park the pointer first: "mousemove --sync" waits for a movement, and
    # there is none when the pointer already is at the place.
    timeout 10 xdotool mousemove 0 0 mousemove --sync --window "$E2E_WID" "$x" "$y" click 1 ||
        e2e_fail "xdotool could not click at $x,$y"
}

# e2e_key KEY...: keys to the window that has the focus.
e2e_key() {
    e2e_app_alive
    timeout 10 xdotool key --clearmodifiers "$@" || e2e_fail "xdotool could not press $*"
}

e2e_type() {
    e2e_app_alive
    timeout 10 xdotool type --clearmodifiers --delay 20 "$1" || e2e_fail "xdotool could not type $1"
}

# e2e_grab REGION FILE: a region (WxH+X+Y) of the main window as a picture.
e2e_grab() {
    import -window "$E2E_WID" -crop "$1" +repage "$2" 2>>"$E2E_WORK/import.log" ||
        e2e_fail "import could not take a picture of window $E2E_WID"
}

e2e_region_differs() {
    local region=$1 before=$2 now=$E2E_WORK/shots/now.png ae
    e2e_app_alive
    e2e_grab "$region" "$now"
    ae=$(compare -metric AE "$before" "$now" null: 2>&1 || true)
    awk -v ae="$ae" 'BEGIN { exit !(ae + 0 > 50) }'
}

# e2e_click_and_see "X Y" REGION WHAT: click, then wait (up to 20 s) until the
# region looks different from before the click.
e2e_click_and_see() {
    local at=$1 region=$2 what=$3 before
    before=$E2E_WORK/shots/before-$RANDOM.png
    e2e_grab "$region" "$before"
    e2e_click "$at"
    e2e_poll 20 "$what (the area $region of the window did not change)" \
        e2e_region_differs "$region" "$before"
}

# The program's settings file holds KEY=VALUE (exactly) in group [Tovrik].
e2e_conf_has() {
    [[ -f "$E2E_CONF" ]] && awk -v want="$1" '
        /^\[/ { group = $0; next }
        group == "[Tovrik]" && $0 == want { found = 1 }
        END { exit !found }' "$E2E_CONF"
}

# e2e_clipboard_to FILE: the clipboard's text, byte for byte.
e2e_clipboard_to() {
    timeout 10 xclip -selection clipboard -o >"$1" 2>"$E2E_WORK/xclip.log"
}

e2e_clipboard_is() {
    local expected=$1 got=$E2E_WORK/clipboard.bin
    e2e_clipboard_to "$got" && cmp -s "$expected" "$got"
}

# e2e_expect_clipboard EXPECTED_FILE WHAT: poll (up to 20 s) for the clipboard
# to hold exactly the bytes of EXPECTED_FILE; on failure show both.
e2e_expect_clipboard() {
    local expected=$1 what=$2 end
    end=$(e2e_deadline 20)
    while ! e2e_clipboard_is "$expected"; do
        if ! e2e_before "$end"; then
            echo "expected ($what):" >&2
            od -c "$expected" >&2
            echo "clipboard:" >&2
            od -c "$E2E_WORK/clipboard.bin" >&2 || true
            cat "$E2E_WORK/xclip.log" >&2 || true
            e2e_fail "the clipboard does not hold $what"
        fi
        sleep 0.2
    done
}

# Another visible "Tovrik" window of the program than the main one: a message box.
e2e_message_box_shown() {
    e2e_app_alive
    local id
    for id in $(e2e_windows_of "$E2E_APP_PID" '^Tovrik$'); do
        if [[ "$id" != "$E2E_WID" ]]; then
            E2E_BOX=$id
            return 0
        fi
    done
    return 1
}

e2e_window_gone() {
    ! e2e_windows_of "$E2E_APP_PID" '.*' | grep -x "$1" >/dev/null
}

# Load the sample text and split it, each step watched on screen.
e2e_load_and_split() {
    e2e_click_and_see "$E2E_AT_LOAD_SAMPLE" "$E2E_REGION_MESSAGE" \
        "the sample text to show in the message box after \"Load Sample/Example Text\""
    e2e_click_and_see "$E2E_AT_START" "$E2E_REGION_LIST" \
        "results to show in the list after \"Start Splitting\""
}

# Tick every row: click into the list, Ctrl+A, Space. The wait only sees the
# list change (selection and ticks); the clipboard or the export tells which
# rows were ticked.
e2e_tick_all() {
    local before=$E2E_WORK/shots/ticks-before.png
    e2e_grab "$E2E_REGION_LIST" "$before"
    e2e_click "$E2E_AT_LIST"
    e2e_key ctrl+a
    e2e_key space
    e2e_poll 20 "the results list to react to a click, Ctrl+A and Space" \
        e2e_region_differs "$E2E_REGION_LIST" "$before"
}
