#!/usr/bin/env bash
# Records are independent, so GNU parallel may cut the input into blocks and
# run one tovrik-split per block: the output must be byte for byte what one
# run gives.
set -euo pipefail
split="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# 200,000 records of 20 to 400 characters: GSM-7 text, extension characters,
# UCS-2 text and emoji, escapes in JSON, ids as numbers and as strings.
perl -CS -Mutf8 -e '
  srand(20261208);
  my @words = qw(the quick brown fox jumps over a lazy dog. Meet me at 5pm, bring 20€
                 {braces} [brackets] caret^ tilde~ pipe| back\\\\slash \\"quoted\\"
                 Ärger über größe Ç ç naïve café — 😀 👍🏽 привет мир 你好);
  for my $n (1 .. 200000) {
    my $target = 20 + int(rand(381));
    my $text = "";
    while (length($text) < $target) { $text .= $words[int(rand(@words))] . " " }
    $text = substr($text, 0, $target);
    $text =~ s/\\+$//;         # never end on half an escape
    my $id = $n % 3 ? $n : "\"m$n\"";
    print "{\"id\":$id,\"text\":\"$text\"}\n";
  }' >"$scratch/in.jsonl"

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
