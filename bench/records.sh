#!/usr/bin/env bash
# tovrik-split --records jsonl --json --sms=concat over 1,000,000 short
# messages, as a user runs it: one process, a file in, a file out. Two mixes:
# three messages in ten hold words without a GSM-7 form, and all of them do.
# Prints the CPU time, records per second and the peak memory, median of 5
# runs (goal: under 0.5 s), and the CPU time against the floor: the plain cut
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

# The median of 5 runs of the command: "wall user+sys rss".
median() {
  : >"$scratch/runs"
  for run in 1 2 3 4 5; do
    /usr/bin/time -f '%e %U %S %M' -o "$scratch/time" "$@" <"$scratch/in.jsonl" >"$scratch/out"
    awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$scratch/time" >>"$scratch/runs"
  done
  sort -k2 -n "$scratch/runs" | sed -n 3p
}

for share in 0.3 1; do
  "$here/../tests/cli/make-records.pl" "$records" "$share" >"$scratch/in.jsonl"
  "$split" --records jsonl --json --sms=concat <"$scratch/in.jsonl" >/dev/null # warm the cache
  read -r wall cpu rss < <(median "$split" --records jsonl --json --sms=concat)
  read -r _ floor _ < <(median "$split" --limit 153)
  read -r _ national _ < <(median "$split" --records jsonl --json --sms=concat --language tr,es,pt)
  mib=$(( $(wc -c <"$scratch/in.jsonl") / 1048576 ))
  awk -v n="$records" -v share="$share" -v mb="$mib" -v w="$wall" -v c="$cpu" -v r="$rss" \
      -v f="$floor" -v l="$national" 'BEGIN {
    printf "records --json --sms=concat, %d records (%d MiB), %d%% with non-GSM words:\n", n, mb, share * 100
    printf "  %.2f s CPU, %.2f s wall, %.0f records/s (CPU), peak RSS %.1f MiB (goal: under 0.5 s)\n", c, w, n / c, r / 1024
    printf "  plain cut of the same bytes: %.2f s CPU; records/plain = %.1f (goal: at most 2)\n", f, (f > 0 ? c / f : 0)
    printf "  with --language tr,es,pt: %.2f s CPU; %.2f times the time without (goal: at most 1.5)\n", l, (c > 0 ? l / c : 0)
  }'
done
