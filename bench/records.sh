#!/usr/bin/env bash
# tovrik-split --records jsonl --json --sms over 1,000,000 short messages, as
# a user runs it: one process, a file in, a file out. Two mixes: three
# messages in ten hold words without a GSM-7 form, and all of them do.
# Prints records per second (wall and CPU) and the peak memory, median of 5
# runs; the goal is under 2 s.
set -euo pipefail
build="${1:-build}"
here="$(cd "$(dirname "$0")" && pwd)"
split="$build/bin/tovrik-split"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
records=1000000

for share in 0.3 1; do
  "$here/../tests/cli/make-records.pl" "$records" "$share" >"$scratch/in.jsonl"
  "$split" --records jsonl --json --sms <"$scratch/in.jsonl" >/dev/null # warm the cache
  : >"$scratch/runs"
  for run in 1 2 3 4 5; do
    /usr/bin/time -f '%e %U %S %M' -o "$scratch/time" \
      "$split" --records jsonl --json --sms <"$scratch/in.jsonl" >"$scratch/out.jsonl"
    cat "$scratch/time" >>"$scratch/runs"
  done
  mib=$(( $(wc -c <"$scratch/in.jsonl") / 1048576 ))
  sort -n "$scratch/runs" | sed -n 3p | {
    read -r wall user sys rss
    awk -v n="$records" -v share="$share" -v mb="$mib" -v w="$wall" -v u="$user" -v s="$sys" \
        -v r="$rss" 'BEGIN {
      printf "records --json --sms, %d records (%d MiB), %d%% with non-GSM words: %.2f s wall, %.2f s CPU\n", n, mb, share * 100, w, u + s
      printf "  %.0f records/s wall, peak RSS %.1f MiB (goal: under 2 s)\n", n / w, r / 1024
    }'
  }
done
