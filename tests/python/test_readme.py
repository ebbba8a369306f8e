"""The README's examples for other programs, run as written: each block
marked <!-- test: NAME --> runs, and where a text block follows it, prints
exactly that. Spark is not installed: its block runs against a stand-in RDD
that pipes as PySpark does (shlex-split command, an empty environment unless
env is given, the exit status checked only with checkCode).

Needs TOVRIK_SPLIT, TOVRIK_INCLUDE, TOVRIK_LIBDIR and the built module on
PYTHONPATH.
"""
import json
import os
import re
import shlex
import subprocess
import sys
import tempfile
import unittest

README = os.path.join(os.path.dirname(__file__), "..", "..", "README.md")
SPLIT = os.environ["TOVRIK_SPLIT"]
BLOCK = re.compile(r"<!-- test: (\w+) -->\n```(\w+)\n(.*?)```\n(?:\n```text\n(.*?)```\n)?", re.S)


def examples():
    with open(README, encoding="utf-8") as f:
        return {m.group(1): (m.group(3), m.group(4)) for m in BLOCK.finditer(f.read())}


class StandInRDD:
    """What the Spark block needs of an RDD, with PySpark's pipe semantics."""

    def __init__(self, elements, bin_dir):
        self.elements = list(elements)
        self.bin_dir = bin_dir

    def pipe(self, command, env=None, checkCode=False):
        # The build's programs stand in for those `make install` puts in
        # /usr/local/bin.
        command = command.replace("/usr/local/bin", self.bin_dir)
        env = {k: v.replace("/usr/local/bin", self.bin_dir) for k, v in (env or {}).items()}
        done = subprocess.run(shlex.split(command), env=env, capture_output=True,
                              input="".join(e + "\n" for e in self.elements).encode())
        if checkCode and done.returncode:
            raise RuntimeError(f"pipe: {command} exited with {done.returncode}")
        return StandInRDD(done.stdout.decode().splitlines(), self.bin_dir)

    def mapPartitions(self, function):
        half = len(self.elements) // 2
        out = list(function(iter(self.elements[:half]))) + list(
            function(iter(self.elements[half:])))
        return StandInRDD(out, self.bin_dir)


class Readme(unittest.TestCase):
    def setUp(self):
        self.examples = examples()

    def run_python(self, name):
        code, expected = self.examples[name]
        with tempfile.TemporaryDirectory() as scratch:
            path = os.path.join(scratch, f"readme_{name}.py")
            with open(path, "w", encoding="utf-8") as f:
                f.write(code)
            done = subprocess.run([sys.executable, path], capture_output=True, text=True,
                                  env=dict(os.environ, DASK_SCHEDULER=""))
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(done.stdout, expected)

    def test_python(self):
        self.run_python("python")

    def test_national(self):
        self.run_python("national")

    def test_dask(self):
        self.run_python("dask")

    def test_c(self):
        code, expected = self.examples["c"]
        with tempfile.TemporaryDirectory() as scratch:
            source = os.path.join(scratch, "example.c")
            with open(source, "w", encoding="utf-8") as f:
                f.write(code)
            program = os.path.join(scratch, "example")
            flags = os.environ.get("TOVRIK_CFLAGS", "").split()
            subprocess.run(["cc", "-std=c11", "-Wall", "-Wextra", "-Werror", *flags, source,
                            "-I" + os.environ["TOVRIK_INCLUDE"], "-L" + os.environ["TOVRIK_LIBDIR"],
                            "-ltovrik", "-o", program], check=True)
            done = subprocess.run([program], capture_output=True, text=True,
                                  env=dict(os.environ, LD_LIBRARY_PATH=os.environ["TOVRIK_LIBDIR"]))
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(done.stdout, expected)
        # The same parts as the command line's.
        message = re.search(r'message = "(.*?)"\s*"(.*?)";', code, re.S)
        cli = subprocess.run([SPLIT, "--sms", "--mode", "period", "--number", "%t (%k/%n)",
                              "--json"], input=(message.group(1) + message.group(2)).encode(),
                             capture_output=True).stdout.decode()
        self.assertEqual(expected.splitlines(), [f"{p['encoding']} {p['units']}: {p['text']}"
                                                 for p in json.loads(cli)["parts"]])

    def test_spark(self):
        code, _ = self.examples["spark"]
        records = [json.dumps({"id": n, "text": t}, ensure_ascii=False) for n, t in enumerate(
            ["Hi Ann, see you at 5", "Flash sale 😀 everything is half price", "x" * 400, ""])]
        bin_dir = os.path.dirname(SPLIT)
        scope = {"rdd": StandInRDD(records, bin_dir)}
        exec(compile(code, "README.md (spark)", "exec"), scope)
        expected = subprocess.run([SPLIT, "--records", "jsonl", "--json", "--sms"],
                                  input="\n".join(records).encode(),
                                  capture_output=True).stdout.decode().splitlines()
        self.assertEqual(scope["lines"].elements, expected)
        self.assertEqual([json.loads(e) for e in scope["objects"].elements],
                         [json.loads(e) for e in expected])
        # What the README warns of: a bare name is not found in an empty
        # environment, and a failed record counts only with checkCode.
        with self.assertRaises(FileNotFoundError):
            scope["rdd"].pipe("tovrik-split --records jsonl --json --sms")
        bad = StandInRDD(['{"text":5}'], bin_dir)
        self.assertIn('"error"', bad.pipe(SPLIT + " --records jsonl --json --sms").elements[0])
        with self.assertRaises(RuntimeError):
            bad.pipe(SPLIT + " --records jsonl --json --sms", checkCode=True)


if __name__ == "__main__":
    unittest.main()
