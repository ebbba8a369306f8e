#!/usr/bin/env bash
# tovrik-split against `fold -s -w 159` and `cat` on three generated inputs of
# about 50 MiB (ASCII prose; Cyrillic and Greek prose with some emoji; ASCII
# words on one line without a line break), and its peak memory, also on
# 400 MiB; and the peak memory of whole messages (--json, --sms, --number,
# --replace, one record). The pairs run interleaved (A B A B ...); each ratio is the median of
# the pairs' ratios of CPU time (user + system, from bash's `time`).
#
# fold counts bytes, not characters, so on multi-byte text it cuts elsewhere:
# it is a yardstick of speed there, not of the same work.
#
# Usage: bench/cli-vs-fold.sh BUILD_DIR [PAIRS]   (PAIRS: at least 5, default 7)
set -euo pipefail
build=${1:?usage: cli-vs-fold.sh BUILD_DIR [PAIRS]}
pairs=${2:-7}
split=$build/bin/tovrik-split
[ -x "$split" ] || { echo "no $split: build the tovrik-split target first" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "no /usr/bin/time: install the package 'time'" >&2; exit 1; }
[ "$pairs" -ge 5 ] || { echo "at least 5 pairs" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tovrik-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export LC_ALL=C # awk counts bytes

# Deterministic prose: sentences picked by a fixed-seed generator, joined by
# blanks, with a line break now and then (never with breaks=0), until about
# 50 MiB. Sentences are separated by "|".
prose() { # SENTENCES BREAKS
    awk -v list="$1" -v breaks="$2" 'BEGIN {
        n = split(list, s, "|")
        state = 12345; size = 0; target = 52428800; line = ""
        while (size < target) {
            state = (state * 1664525 + 1013904223) % 4294967296
            line = line s[int(state / 65536) % n + 1]
            if (breaks && int(state / 256) % 23 == 0) { print line; size += length(line) + 1; line = "" }
            else if (length(line) > 65536) { printf "%s ", line; size += length(line) + 1; line = "" }
            else line = line " "
        }
        printf "%s", line
    }'
}

english="The morning train left the station a few minutes late, as it did most days.|\
She folded the letter twice and slipped it into the pocket of her coat.|\
Nobody in the village could remember when the old mill had last turned.|\
If you leave now, you will reach the harbour before the tide comes in.|\
He asked whether the meeting had been moved to Thursday afternoon.|\
Prices rose again in March, though more slowly than the analysts expected.|\
The children ran down to the river, shouting and laughing all the way.|\
Why would anyone build a house so far from the nearest road?|\
A thin rain had started to fall, and the streets were nearly empty.|\
Please bring your passport, two photographs and a copy of the form.|\
It was, by any measure, the strangest summer the town had ever seen.|\
They talked until midnight about books, music and the friends they had lost.|\
The committee will publish its findings at the end of the month.|\
What a relief it was to hear her voice on the telephone again!|\
Most of the furniture had been sold, but the piano was still there.|\
Our flight was cancelled, so we spent the night in a small hotel near the airport.|\
Turn left at the bakery and walk on until you see the blue door.|\
The results were encouraging, although the sample was rather small."
others="Утренний поезд ушёл со станции на несколько минут позже, как почти всегда.|\
Она дважды сложила письмо и положила его в карман пальто.|\
Никто в деревне не помнил, когда старая мельница крутилась в последний раз.|\
Το πρωινό τρένο έφυγε από τον σταθμό λίγα λεπτά αργότερα. 🚆|\
Τα παιδιά έτρεξαν στο ποτάμι, φωνάζοντας και γελώντας όλο τον δρόμο! 😀|\
Цены снова выросли в марте, хотя медленнее, чем ожидали аналитики. 📈|\
Ποιος θα έχτιζε ένα σπίτι τόσο μακριά από τον πλησιέστερο δρόμο;|\
Поверните налево у пекарни и идите, пока не увидите синюю дверь. 🚪"

names=(ascii multibyte oneline)
declare -A title=([ascii]="ASCII words" [multibyte]="multi-byte words" [oneline]="one long line")
prose "$english" 1 >"$work/ascii"
prose "$others" 1 >"$work/multibyte"
prose "$english" 0 >"$work/oneline"

cpu() { # CPU seconds of one run of "$@", its output thrown away
    local TIMEFORMAT='%3U %3S' times
    times=$({ time "$@" >/dev/null 2>&1; } 2>&1)
    awk -v t="$times" 'BEGIN { split(t, a, " "); printf "%.4f", a[1] + a[2] }'
}

median_ratio() { # "COMMAND A" "COMMAND B": median of A ÷ B over interleaved pairs
    local -a a b ratios=()
    read -r -a a <<<"$1"
    read -r -a b <<<"$2"
    "${a[@]}" >/dev/null && "${b[@]}" >/dev/null # a warm-up that also checks them
    for ((i = 0; i < pairs; i++)); do
        local ta tb
        ta=$(cpu "${a[@]}")
        tb=$(cpu "${b[@]}")
        ratios+=("$(awk -v a="$ta" -v b="$tb" 'BEGIN { printf "%.4f", a / (b > 0 ? b : 0.001) }')")
    done
    printf '%s\n' "${ratios[@]}" | sort -g |
        awk '{ v[NR] = $1 } END { printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

peak() { # peak resident size of the last command of a pipeline, in MiB
    { /usr/bin/time -v "$@" >/dev/null; } 2>&1 |
        awk '/Maximum resident set size/ { printf "%.1f MiB", $NF / 1024 }'
}

echo "CPU time ratios, median of $pairs interleaved pairs; limit 160"
# (÷ takes two bytes, so the heading is laid out by hand.)
echo "input                    MiB  space÷fold  space÷cat  exact÷cat  period÷cat"
for name in "${names[@]}"; do
    f=$work/$name
    printf '%-18s %9.1f %11s %10s %10s %11s\n' "${title[$name]}" \
        "$(awk -v b="$(stat -c %s "$f")" 'BEGIN { print b / 1048576 }')" \
        "$(median_ratio "$split --limit 160 $f" "fold -s -w 159 $f")" \
        "$(median_ratio "$split --limit 160 $f" "cat $f")" \
        "$(median_ratio "$split --limit 160 --mode exact $f" "cat $f")" \
        "$(median_ratio "$split --limit 160 --mode period $f" "cat $f")"
done
echo "goals: ASCII space÷fold ≤ 0.30 (moonshot 0.15); multi-byte space÷fold ≤ 0.60 (moonshot 0.30);"
echo "       every ÷cat ≤ 6 (moonshot 3)"

echo
echo "Peak resident memory, space mode (/usr/bin/time -v); goal ≤ 16 MiB (moonshot 8 MiB)"
printf '%-24s %12s %12s\n' input "from a file" "from a pipe"
for name in "${names[@]}"; do
    f=$work/$name
    printf '%-24s %12s %12s\n' "${title[$name]}, 50 MiB" "$(peak "$split" "$f")" \
        "$(cat "$f" | peak "$split")"
done
for name in ascii multibyte; do
    big=$work/big
    for _ in 1 2 3 4 5 6 7 8; do cat "$work/$name"; done >"$big"
    printf '%-24s %12s %12s\n' "${title[$name]}, 400 MiB" "$(peak "$split" "$big")" \
        "$(cat "$big" | peak "$split")"
    rm -f "$big"
done

# Whole messages are held in memory: their peak as a multiple of the message
# (the one long line, so that --records lines holds one record of it too),
# and the worst case of the short pieces, each noted in 16 bytes in a list
# that grows by doubling: 2,100,000 pieces of 32 bytes, just past a doubling.
awk 'BEGIN { w = sprintf("%31s ", ""); gsub(/ /, "a", w); w = substr(w, 1, 31) " "
             for (i = 0; i < 2100000; i++) printf "%s", w }' >"$work/short"
echo
echo "Peak resident memory of whole messages, as a multiple of the message (goal: at most 2)"
whole() { # TITLE FILE ARGS...
    local title=$1 f=$2 mib
    shift 2
    mib=$(peak "$split" "$@" "$f")
    printf '%-42s %12s %6.2f\n' "$title" "$mib" \
        "$(awk -v m="${mib% MiB}" -v b="$(stat -c %s "$f")" 'BEGIN { print m * 1048576 / b }')"
}
whole "--json, 50 MiB line" "$work/oneline" --json
whole "--sms --json" "$work/oneline" --sms --json
whole "--sms=concat --json" "$work/oneline" --sms=concat --json
whole "--number '%k/%n %t'" "$work/oneline" --number '%k/%n %t'
whole "--sms --replace=always --json (none)" "$work/oneline" --sms --replace=always --json
sed 's/,/\xE2\x80\x99/g' "$work/oneline" >"$work/curly" # a comma becomes a curly quote
whole "--sms --replace=always --json (replaced)" "$work/curly" --sms --replace=always --json
whole "--sms=concat --replace=when-cheaper --json" "$work/curly" --sms=concat --replace=when-cheaper --json
whole "--records lines --json (one record)" "$work/oneline" --records lines --json
# The same line as one JSON record whose blanks are escaped line feeds: an
# escape is noted only while the notes cost less than the escapes save.
sed -e 's/\\/\\\\/g' -e 's/"/\\"/g' -e 's/ /\\n/g' -e 's/^/{"text":"/' -e 's/$/"}/' \
    "$work/oneline" >"$work/escaped"
whole "--records jsonl --sms --json (escapes)" "$work/escaped" --records jsonl --sms --json
whole "--limit 32 --json, 32-byte pieces" "$work/short" --limit 32 --json
