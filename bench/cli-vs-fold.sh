#!/usr/bin/env bash
# Times tovrik-split against fold on a 50 MB prose file (best of three each).
# Usage: bench/cli-vs-fold.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: cli-vs-fold.sh BUILD_DIR}
split=$build/bin/tovrik-split
[ -x "$split" ] || { echo "no $split: build the tovrik-split target first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file=$work/prose.txt

# Deterministic prose: sentences picked by a fixed-seed generator, a
# paragraph break now and then, cut to exactly 50 MB.
awk 'BEGIN {
    n = split("The morning train left the station a few minutes late, as it did most days.|" \
              "She folded the letter twice and slipped it into the pocket of her coat.|" \
              "Nobody in the village could remember when the old mill had last turned.|" \
              "If you leave now, you will reach the harbour before the tide comes in.|" \
              "He asked whether the meeting had been moved to Thursday afternoon.|" \
              "Prices rose again in March, though more slowly than the analysts expected.|" \
              "The children ran down to the river, shouting and laughing all the way.|" \
              "Why would anyone build a house so far from the nearest road?|" \
              "A thin rain had started to fall, and the streets were nearly empty.|" \
              "Please bring your passport, two photographs and a copy of the form.|" \
              "It was, by any measure, the strangest summer the town had ever seen.|" \
              "They talked until midnight about books, music and the friends they had lost.|" \
              "The committee will publish its findings at the end of the month.|" \
              "What a relief it was to hear her voice on the telephone again!|" \
              "Most of the furniture had been sold, but the piano was still there.|" \
              "Our flight was cancelled, so we spent the night in a small hotel near the airport.|" \
              "Turn left at the bakery and walk on until you see the blue door.|" \
              "The results were encouraging, although the sample was rather small.", s, "|")
    state = 12345; size = 0; target = 52428800; line = ""
    while (size < target) {
        state = (state * 1664525 + 1013904223) % 4294967296
        line = line s[int(state / 65536) % n + 1]
        if (int(state / 256) % 23 == 0) { print line; size += length(line) + 1; line = "" }
        else line = line " "
    }
    if (line != "") printf "%s", line
}' | head -c 52428800 > "$file"

best() { # best wall time of three runs, in seconds
    local best= t
    for _ in 1 2 3; do
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        t=$(( (end - start) / 1000 ))
        if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
    done
    awk -v us="$best" 'BEGIN { printf "%.3f", us / 1e6 }'
}

echo "input: $(stat -c %s "$file") bytes"
# A failing run would time nothing.
"$split" --limit 160 "$file" >/dev/null
fold -s -w 159 "$file" >/dev/null
t_split=$(best "$split" --limit 160 "$file")
t_fold=$(best fold -s -w 159 "$file")
echo "tovrik-split --limit 160: ${t_split} s"
echo "fold -s -w 159:           ${t_fold} s"
awk -v a="$t_split" -v b="$t_fold" 'BEGIN { printf "ratio tovrik-split / fold: %.2f\n", a / b }'
