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
SHIFT = re.compile(rb"shift: (\S+) (\S+)\n")
REPLACED = re.compile(rb"replaced: (\d+), sent (\d+) bytes: ")
NON_GSM7 = re.compile(rb"non-GSM-7: (\d+) listed, (\d+) more:((?: U\+[0-9A-F]+)*)\n")


def run_example(example, args, message):
    units, mode, limit, number, replace, languages = (tuple(args) + ("never", None)[len(args) - 4:])
    argv = [example, units, mode, str(limit), number if number is not None else "-", replace]
    argv += [languages] if languages else []
    done = subprocess.run(argv, input=message, capture_output=True)
    if done.returncode != 0:
        return {"error": done.stderr.decode().removeprefix("example: ").split(" (code")[0]}
    out = done.stdout
    head = HEAD.match(out)
    assert head, out
    at = head.end()
    line = {}
    shift = SHIFT.match(out, at)
    if shift:
        line["shift"] = {k: v.decode() for k, v in zip(("locking", "single"), shift.groups())
                         if v != b"-"}
        at = shift.end()
    replaced = REPLACED.match(out, at)
    if replaced:
        size = int(replaced.group(2))
        line["replaced"] = int(replaced.group(1))
        if line["replaced"]:
            line["sent"] = out[replaced.end():replaced.end() + size].decode()
        at = replaced.end() + size + 1
    non_gsm7 = NON_GSM7.match(out, at)
    if non_gsm7:
        line["nonGsm7"] = {"characters": [chr(int(c, 16)) for c in
                                          non_gsm7.group(3).decode().replace("U+", "").split()],
                           "more": int(non_gsm7.group(2))}
        at = non_gsm7.end()
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
            sent = line["sent"].encode() if "sent" in line else message
            assert sent[offset:offset + length] == text, (sent, offset, length, text)
        parts.append({"text": text.decode(), "encoding": m.group(2).decode(),
                      "units": int(m.group(3))})
        if "shift" in line and parts[-1]["encoding"] == "GSM-7":
            parts[-1]["shift"] = line["shift"]
    assert at == len(out), out[at:]
    return {"encoding": head.group(1).decode(), "segments": int(head.group(2)),
            **line, "parts": parts}


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
