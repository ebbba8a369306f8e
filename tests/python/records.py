"""Deterministic records for the batch tests and the benchmark: JSON Lines
with an id and a text, of every kind the cutter meets."""
import json
import random

WORDS = ["Hello", "world.", "your", "code", "is", "4711", "€5", "[offer]", "café", "naïve",
         "Привет", "мир.", "中文", "😀", "👍🏽", "🇳🇴", "e\u0301", "line\nbreak", "tab\there",
         "sale!", "Thanks.", "a", "the", "appointment", "tomorrow", "at", "10:30", "{x}"]


def texts(count, seed=17):
    rng = random.Random(seed)
    for _ in range(count):
        length = rng.choice((1, 3, 8, 20, 40, 70))
        yield " ".join(rng.choice(WORDS) for _ in range(rng.randint(1, length)))


def records(count, seed=17):
    for n, text in enumerate(texts(count, seed)):
        yield {"id": n if n % 3 else f"r{n}", "text": text}


def write_jsonl(path, count, seed=17):
    with open(path, "w", encoding="utf-8") as f:
        for record in records(count, seed):
            f.write(json.dumps(record, ensure_ascii=False) + "\n")
