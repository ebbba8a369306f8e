#!/usr/bin/env bash
# tovrik-split --records jsonl --json --sms over 1,000,000 short messages, as
# a user runs it: one process, a file in, a file out. Prints records per
# second (wall and CPU) and the peak memory; the goal is under 2 s.
set -euo pipefail
build="${1:-build}"
here="$(cd "$(dirname "$0")" && pwd)"
split="$build/bin/tovrik-split"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

records=1000000
"$here/../tests/cli/make-records.pl" "$records" >"$scratch/in.jsonl"
"$split" --records jsonl --json --sms <"$scratch/in.jsonl" >/dev/null # warm the cache

best=""
for run in 1 2 3 4 5; do
  /usr/bin/time -f '%e %U %S %M' -o "$scratch/time" \
    "$split" --records jsonl --json --sms <"$scratch/in.jsonl" >"$scratch/out.jsonl"
  read -r wall user sys rss <"$scratch/time"
  echo "$wall $user $sys $rss" >>"$scratch/runs"
done
sort -n "$scratch/runs" | sed -n 3p | {
  read -r wall user sys rss
  awk -v n="$records" -v mb="$(( $(wc -c <"$scratch/in.jsonl") / 1048576 ))" \
      -v w="$wall" -v u="$user" -v s="$sys" -v r="$rss" 'BEGIN {
    printf "records --json --sms: %d records (%d MiB), median of 5: %.2f s wall, %.2f s CPU\n", n, mb, w, u + s
    printf "  %.0f records/s wall, %.0f records/s CPU, peak RSS %.1f MiB (goal: under 2 s)\n", n / w, n / (u + s), r / 1024
  }'
}
