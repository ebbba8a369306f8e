#!/usr/bin/env bash
# Records are independent, so GNU parallel may cut the input into blocks and
# run one tovrik-split per block: the output must be byte for byte what one
# run gives.
set -euo pipefail
split="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# Every other line starts with a byte-order mark, as where files that each
# start with one are joined: a block that starts at such a line must give what
# one run does.
"$(dirname "$0")/make-records.pl" 200000 | perl -pe 's/^/\xEF\xBB\xBF/ if $. % 2 == 0' \
  >"$scratch/in.jsonl"

"$split" --records jsonl --json --sms <"$scratch/in.jsonl" >"$scratch/one.jsonl"
parallel --will-cite --pipe -k --block 1M "$split" --records jsonl --json --sms \
  <"$scratch/in.jsonl" >"$scratch/many.jsonl"

lines="$(wc -l <"$scratch/one.jsonl")"
if [ "$lines" -ne 200000 ]; then
  echo "one run wrote $lines lines for 200000 records" >&2
  exit 1
fi
if grep -q '"error"' "$scratch/one.jsonl"; then
  echo "records failed: $(grep -m3 '"error"' "$scratch/one.jsonl")" >&2
  exit 1
fi
if ! cmp "$scratch/one.jsonl" "$scratch/many.jsonl"; then
  echo "parallel's output differs from one run's" >&2
  exit 1
fi
echo "200000 records, $(wc -c <"$scratch/in.jsonl") bytes: parallel and one run agree"
