#!/usr/bin/env bash
# The Python module's batch call over 1,000,000 messages against
# tovrik-split --records jsonl --json --sms on the same messages: messages
# per second, median of 3 runs each. Python reads the texts (JSON Lines)
# before the clock starts and gets its results as Python objects; the command
# line reads the JSON Lines and writes JSON Lines. Both measure each piece in SMS units of its own.
set -euo pipefail
build="${1:-build}"
build="$(cd "$build" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
split="$build/bin/tovrik-split"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
records=1000000

"$here/../tests/cli/make-records.pl" "$records" 0.3 >"$scratch/in.jsonl"

: >"$scratch/cli"
"$split" --records jsonl --json --sms <"$scratch/in.jsonl" >/dev/null # warm the cache
for run in 1 2 3; do
  /usr/bin/time -f '%e' -o "$scratch/time" \
    "$split" --records jsonl --json --sms <"$scratch/in.jsonl" >"$scratch/out.jsonl"
  cat "$scratch/time" >>"$scratch/cli"
done
cli_wall="$(sort -n "$scratch/cli" | sed -n 2p)"

PYTHONPATH="$build/python" /usr/bin/python3 - "$scratch/in.jsonl" "$records" "$cli_wall" <<'PY'
import gc
import json
import sys
import time

import tovrik

path, records, cli_wall = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])

def load():
    # Fresh str objects each run, as a program gets them: none has its UTF-8
    # form made yet.
    with open(path, encoding="utf-8") as f:
        return [json.loads(line)["text"] for line in f]


runs = []
for _ in range(3):
    texts = load()
    assert len(texts) == records
    start = time.perf_counter()
    results = tovrik.sms_batch(texts, concat=False)
    runs.append(time.perf_counter() - start)
    assert len(results) == records
    del results
    gc.collect()
wall = sorted(runs)[1]
parts = sum(len(r.parts) for r in tovrik.sms_batch(texts[:10000], concat=False))
print(f"python tovrik.sms_batch, {records} messages (~{parts / 10000:.2f} parts each): "
      f"{wall:.2f} s, {records / wall:,.0f} messages/s")
print(f"tovrik-split --records jsonl --json --sms, same messages: "
      f"{cli_wall:.2f} s, {records / cli_wall:,.0f} messages/s")
print(f"  python batch / command line: {cli_wall / wall:.2f}x")
PY
