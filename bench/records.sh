#!/usr/bin/env bash
# tovrik-split --records jsonl --json --sms=concat over 1,000,000 short
# messages, as a user runs it: one process, a file in, a file out. Two mixes:
# three messages in ten hold words without a GSM-7 form, and all of them do.
# Prints the CPU time, records per second and the peak memory, median of 5
# rounds (goal: under 0.5 s), and the CPU time against the floor: the plain cut
# (--limit 153) over the same file's bytes, which reads, checks and cuts the
# same bytes (goal: at most 2 times); and the same records with the Turkish,
# Spanish and Portuguese shift tables enabled (goal: at most 1.5 times).
set -euo pipefail
build="${1:-build}"
here="$(cd "$(dirname "$0")" && pwd)"
split="$build/bin/tovrik-split"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
records=1000000

# One timed run of the command: "wall user+sys rss".
timed() {
  /usr/bin/time -f '%e %U %S %M' -o "$scratch/time" "$@" <"$scratch/in.jsonl" >"$scratch/out"
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$scratch/time"
}

# The median of column `column` of a file of numbers.
median() {
  sort -k"$2" -g "$1" | awk -v c="$2" '{ v[NR] = $c } END { print v[int((NR + 1) / 2)] }'
}

for share in 0.3 1; do
  "$here/../tests/cli/make-records.pl" "$records" "$share" >"$scratch/in.jsonl"
  "$split" --records jsonl --json --sms=concat <"$scratch/in.jsonl" >/dev/null # warm the cache
  # Five rounds, the three commands one after the other in each: this
  # machine's speed drifts, and a ratio of runs of the same round is not
  # swayed by it.
  : >"$scratch/rounds"
  for round in 1 2 3 4 5; do
    read -r wall cpu rss < <(timed "$split" --records jsonl --json --sms=concat)
    read -r _ floor _ < <(timed "$split" --limit 153)
    read -r _ national _ < <(timed "$split" --records jsonl --json --sms=concat --language tr,es,pt)
    echo "$wall $cpu $rss $floor $national" |
      awk '{ printf "%s %s %s %s %s %.3f %.3f\n", $1, $2, $3, $4, $5, ($4 > 0 ? $2 / $4 : 0), ($2 > 0 ? $5 / $2 : 0) }' \
      >>"$scratch/rounds"
  done
  mib=$(( $(wc -c <"$scratch/in.jsonl") / 1048576 ))
  awk -v n="$records" -v share="$share" -v mb="$mib" \
      -v w="$(median "$scratch/rounds" 1)" -v c="$(median "$scratch/rounds" 2)" \
      -v r="$(median "$scratch/rounds" 3)" -v f="$(median "$scratch/rounds" 4)" \
      -v l="$(median "$scratch/rounds" 5)" -v toFloor="$(median "$scratch/rounds" 6)" \
      -v toPlain="$(median "$scratch/rounds" 7)" 'BEGIN {
    printf "records --json --sms=concat, %d records (%d MiB), %d%% with non-GSM words:\n", n, mb, share * 100
    printf "  %.2f s CPU, %.2f s wall, %.0f records/s (CPU), peak RSS %.1f MiB (goal: under 0.5 s)\n", c, w, n / c, r / 1024
    printf "  plain cut of the same bytes: %.2f s CPU; records/plain = %.1f (goal: at most 2)\n", f, toFloor
    printf "  with --language tr,es,pt: %.2f s CPU; %.2f times the time without (goal: at most 1.5)\n", l, toPlain
  }'
done
