#!/usr/bin/env bash
# Settings are on disk as soon as they are typed: select "Save Each Result To
# Separate File", type a new filename prefix, kill the program with SIGKILL
# (no chance to save anything on the way out), start it again and find the
# prefix and the option back, in the settings file and in the window.
#
# Usage: settings_kill.sh TOVRIK BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=e2e-lib.sh
source "$here/e2e-lib.sh"
e2e_setup settings_kill "${1:-}" "${2:-}"

e2e_start_app
# First start: the defaults are written back at once.
e2e_poll 20 "the settings file $E2E_CONF to hold Prefix=Split_ after the first start" \
    e2e_conf_has "Prefix=Split_"
e2e_conf_has "Option9=False" || e2e_fail "a first start should leave Option9=False in $E2E_CONF"

# The prefix box is enabled by "Save Each Result To Separate File" (Option9).
e2e_click "$E2E_AT_OPTION9"
e2e_poll 20 "Option9=True in $E2E_CONF after clicking \"Save Each Result To Separate File\"" \
    e2e_conf_has "Option9=True"
e2e_conf_has "Option8=False" || e2e_fail "Option8 should be False in $E2E_CONF once Option9 is chosen"

e2e_click "$E2E_AT_PREFIX"
e2e_key ctrl+a
e2e_type "Kept_"
# Written while the program runs, keystroke by keystroke: wait for the last one.
e2e_poll 20 "Prefix=Kept_ in $E2E_CONF while the program runs (typed into the prefix box)" \
    e2e_conf_has "Prefix=Kept_"

kill -KILL "$E2E_APP_PID"
wait "$E2E_APP_PID" 2>/dev/null || true
E2E_APP_PID=
e2e_note "killed with SIGKILL"
cp "$E2E_CONF" "$E2E_WORK/after-kill.conf"
e2e_conf_has "Prefix=Kept_" || e2e_fail "after SIGKILL $E2E_CONF lacks Prefix=Kept_: $(cat "$E2E_CONF")"
e2e_conf_has "Option9=True" || e2e_fail "after SIGKILL $E2E_CONF lacks Option9=True: $(cat "$E2E_CONF")"

# Second start: the start writes back what it restored.
e2e_start_app
e2e_poll 20 "the restarted program to write its settings back" \
    e2e_conf_has "Prefix=Kept_"
e2e_conf_has "Option9=True" || e2e_fail "after the restart $E2E_CONF lacks Option9=True: $(cat "$E2E_CONF")"
e2e_conf_has "Option8=False" || e2e_fail "after the restart $E2E_CONF lacks Option8=False: $(cat "$E2E_CONF")"

# And the window shows it: the prefix box is enabled and holds "Kept_".
e2e_click "$E2E_AT_PREFIX"
e2e_key ctrl+a
e2e_key ctrl+c
printf '%s' "Kept_" >"$E2E_WORK/expected-prefix.bin"
e2e_expect_clipboard "$E2E_WORK/expected-prefix.bin" \
    "the prefix box's text \"Kept_\" (copied out of the restarted window)"
e2e_app_alive
