"""docs/example.c, built against libtovrik, against tovrik-split --json:
every sample message under every option set gives the same parts, encodings,
units and segments, or the same error.

    example_vs_cli.py EXAMPLE TOVRIK_SPLIT
"""
import json
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "python"))
from samples import MESSAGES, OPTIONS  # noqa: E402

PART = re.compile(rb"part (\d+): (\S+), (\d+) units, offset (\d+), length (\d+), (\d+) bytes: ")
HEAD = re.compile(rb"message: (\S+), (\d+) segments, (\d+) parts\n")


def run_example(example, args, message):
    units, mode, limit, number = args
    argv = [example, units, mode, str(limit)] + ([number] if number is not None else [])
    done = subprocess.run(argv, input=message, capture_output=True)
    if done.returncode != 0:
        return {"error": done.stderr.decode().removeprefix("example: ").split(" (code")[0]}
    out = done.stdout
    head = HEAD.match(out)
    assert head, out
    at = head.end()
    parts = []
    for k in range(int(head.group(3))):
        m = PART.match(out, at)
        assert m and int(m.group(1)) == k + 1, out[at:at + 80]
        size = int(m.group(6))
        text = out[m.end():m.end() + size]
        assert out[m.end() + size:m.end() + size + 1] == b"\n"
        at = m.end() + size + 1
        offset, length = int(m.group(4)), int(m.group(5))
        # Unnumbered, the part is the message's own bytes at its offset.
        if number_of(args) is None:
            assert message[offset:offset + length] == text, (message, offset, length, text)
        parts.append({"text": text.decode(), "encoding": m.group(2).decode(),
                      "units": int(m.group(3))})
    assert at == len(out), out[at:]
    return {"encoding": head.group(1).decode(), "segments": int(head.group(2)),
            "parts": parts}


def number_of(args):
    return args[3]


def run_cli(split, args, message):
    done = subprocess.run([split] + args + ["--json"], input=message, capture_output=True)
    line = json.loads(done.stdout)
    line.pop("id")
    assert (done.returncode != 0) == ("error" in line), (done.returncode, line)
    return line


def main():
    example, split = sys.argv[1], sys.argv[2]
    failures = 0
    cases = 0
    for cli_args, example_args in OPTIONS:
        for text in MESSAGES:
            message = text.encode()
            expected = run_cli(split, cli_args, message)
            actual = run_example(example, example_args, message)
            cases += 1
            if actual != expected:
                failures += 1
                print(f"DIFFERENT for {cli_args} {text[:40]!r}:\n  cli     {expected}\n"
                      f"  example {actual}")
    print(f"{cases - failures} of {cases} cases agree")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
