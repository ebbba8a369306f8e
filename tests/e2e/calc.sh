#!/usr/bin/env bash
# "Save Results As Excel File" end to end: load the sample, split it, tick both
# rows, export. LibreOffice Calc must come up with a new, untitled document
# made from the workbook the program wrote; that workbook holds both pieces.
# Skipped when LibreOffice (soffice) is not installed.
#
# Usage: calc.sh TOVRIK BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=e2e-lib.sh
source "$here/e2e-lib.sh"
E2E_NAME=calc
command -v soffice >/dev/null 2>&1 || e2e_skip "soffice (LibreOffice Calc) is not on PATH"
e2e_setup calc "${1:-}" "${2:-}"

e2e_start_app
e2e_load_and_split
e2e_tick_all
e2e_click "$E2E_AT_SAVE_EXCEL"

# The workbook handed to Calc: $TMPDIR/Tovrik-XXXXXX/Tovrik.xlsx.
workbook_written() {
    e2e_app_alive
    local found
    found=$(find "$TMPDIR" -maxdepth 2 -path "$TMPDIR/Tovrik-*/Tovrik.xlsx" -size +0 -print -quit)
    [[ -n "$found" ]] && E2E_XLSX=$found
}
E2E_XLSX=
e2e_poll 20 "the workbook Tovrik.xlsx to appear in $TMPDIR/Tovrik-*/" workbook_written
e2e_note "workbook $E2E_XLSX"

# A fresh LibreOffice profile: the first start takes a while.
calc_shown() {
    local id
    id=$(xdotool search --onlyvisible --name '^Untitled' 2>/dev/null | head -n 1 || true)
    [[ -n "$id" ]] && E2E_CALC_WINDOW=$id
}
E2E_CALC_WINDOW=
e2e_poll 90 "a LibreOffice window whose title begins with \"Untitled\"" calc_shown
e2e_note "Calc window $E2E_CALC_WINDOW: $(xdotool getwindowname "$E2E_CALC_WINDOW")"
e2e_app_alive

# Started by the program (it carries the run's marker) as "soffice --calc -n FILE".
started_as_template=0
for pid in $(e2e_marked_pids); do
    [[ "$pid" == "$E2E_APP_PID" ]] && continue
    args=$(tr '\0' '\n' 2>/dev/null <"/proc/$pid/cmdline" || true)
    if grep -qx -- '--calc' <<<"$args" && grep -qx -- '-n' <<<"$args" &&
        grep -qxF -- "$E2E_XLSX" <<<"$args"; then
        started_as_template=1
        e2e_note "started: $(tr '\n' ' ' <<<"$args")"
        break
    fi
done
((started_as_template)) ||
    e2e_fail "no process started by the program runs \"soffice --calc -n $E2E_XLSX\""

# The workbook's cells: header "Results", then both pieces (written as text).
if command -v unzip >/dev/null 2>&1; then
    sheet=$(unzip -p "$E2E_XLSX" xl/worksheets/sheet1.xml) ||
        e2e_fail "$E2E_XLSX is not a readable workbook"
    shared=$(unzip -p "$E2E_XLSX" xl/sharedStrings.xml 2>/dev/null || true)
    for text in "Results" "$E2E_PIECE1" "$E2E_PIECE2"; do
        grep -qF "<t>$text</t>" <<<"$sheet$shared" ||
            grep -qF ">$text</t>" <<<"$sheet$shared" ||
            e2e_fail "the workbook $E2E_XLSX lacks the cell text \"$text\""
    done
else
    e2e_note "unzip is not installed: the workbook's cells are not looked at"
fi
