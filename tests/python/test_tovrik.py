"""The Python module tovrik against tovrik-split --json: the same parts for
the same messages; bad input raises; a batch equals one call per text.

Needs TOVRIK_SPLIT (the program) and the built module on PYTHONPATH.
"""
import json
import os
import pickle
import subprocess
import unittest

import tovrik
from samples import MESSAGES, OPTIONS

SPLIT = os.environ["TOVRIK_SPLIT"]


def cli(args, text):
    done = subprocess.run([SPLIT] + args + ["--json"], input=text.encode(), capture_output=True)
    line = json.loads(done.stdout)
    line.pop("id")
    return line


def call(options, text):
    units, mode, limit, number, replace, language = (tuple(options) + ("never", None)[len(options) - 4:])
    if units == "chars":
        return tovrik.split(text, limit=limit, mode=mode, number=number, replace=replace)
    return tovrik.sms(text, concat=units == "concat", mode=mode, number=number, replace=replace,
                      language=language)


def batch(options, texts):
    units, mode, limit, number, replace, language = (tuple(options) + ("never", None)[len(options) - 4:])
    if units == "chars":
        return tovrik.split_batch(texts, limit=limit, mode=mode, number=number, replace=replace)
    return tovrik.sms_batch(texts, concat=units == "concat", mode=mode, number=number,
                            replace=replace, language=language)


class SameAsCommandLine(unittest.TestCase):
    def test_every_sample(self):
        for args, options in OPTIONS:
            for text in MESSAGES:
                with self.subTest(args=args, text=text[:30]):
                    expected = cli(args, text)
                    if "error" in expected:
                        with self.assertRaises(tovrik.Error) as caught:
                            call(options, text)
                        self.assertEqual(str(caught.exception), expected["error"])
                    else:  # the same members in the same order
                        self.assertEqual(json.dumps(call(options, text).to_dict()),
                                         json.dumps(expected))

    def test_defaults(self):
        text = MESSAGES[3]
        self.assertEqual(tovrik.split(text).to_dict(), cli([], text))
        self.assertEqual(tovrik.sms(text).to_dict(), cli(["--sms=concat"], text))

    def test_bytes_are_utf8(self):
        text = MESSAGES[6]
        self.assertEqual(tovrik.sms(text.encode()), tovrik.sms(text))


class BadInput(unittest.TestCase):
    def test_library_errors(self):
        cases = [
            (lambda: tovrik.split(b"ab\xff"), "invalid UTF-8 at byte 2"),
            (lambda: tovrik.sms(b"\xe2\x82", concat=False), "invalid UTF-8 at byte 0"),
            (lambda: tovrik.split("abc", number="%k/%n"),
             "the numbering format: the format must hold %t exactly once"),
            (lambda: tovrik.sms("abc", number="%q %t"),
             "the numbering format: %q is not %t, %k, %n or %%"),
            (lambda: tovrik.split("abc", limit=0),
             "the limit must be between 1 and 32767, not 0"),
            (lambda: tovrik.split("a b c d e f g h i j k", limit=6, number="%k/%n %t"),
             "the numbering leaves no room for the text"),
            (lambda: tovrik.split_batch(["ok", "fine", b"\xc0\xaf"]),
             "text 2: invalid UTF-8 at byte 0"),
            # The first text that cannot be cut, whatever is wrong with later ones.
            (lambda: tovrik.sms_batch([b"ok", b"\xff", "\ud800", None]),
             "text 1: invalid UTF-8 at byte 0"),
            (lambda: tovrik.sms("abc", language="tr,xx"),
             "unknown language 'xx' (tr, es, pt, bn, gu, hi, kn, ml, or, pa, ta, te or ur; "
             "ISO 639-1 codes, separated by commas)"),
            (lambda: tovrik.sms_batch(["abc"], language="hi,"),
             "unknown language '' (tr, es, pt, bn, gu, hi, kn, ml, or, pa, ta, te or ur; "
             "ISO 639-1 codes, separated by commas)"),
            (lambda: tovrik.sms("abc", language=b"t\xe2\x82r\xff"),
             "unknown language 't\\xE2\\x82r\\xFF' (tr, es, pt, bn, gu, hi, kn, ml, or, pa, ta, "
             "te or ur; ISO 639-1 codes, separated by commas)"),
        ]
        for run, message in cases:
            with self.subTest(message=message):
                with self.assertRaises(tovrik.Error) as caught:
                    run()
                self.assertEqual(str(caught.exception), message)
                self.assertIsInstance(caught.exception, ValueError)

    def test_python_errors(self):
        # Bad values are tovrik.Error too, a text's index named in a batch;
        # a text of a wrong type is a TypeError naming its index.
        for run, message in [
                (lambda: tovrik.split("abc", mode="sideways"),
                 "unknown mode 'sideways' (space, exact or period)"),
                (lambda: tovrik.sms("abc", replace=b"so\xffmetimes"),
                 "unknown replacement b'so\\xffmetimes' (never, when-cheaper or always)"),
                (lambda: tovrik.split("abc", number="%t\0"),
                 "the numbering format holds a NUL character"),
                (lambda: tovrik.split("abc", mode="space\0junk"),
                 "the mode holds a NUL character"),
                (lambda: tovrik.sms("abc", replace="never\0"),
                 "the replacement holds a NUL character"),
                (lambda: tovrik.split("abc", limit=2**32 + 5),
                 "the limit must be between 1 and 32767, not 4294967301"),
                (lambda: tovrik.sms("hi", number="%t\ud800"),
                 "the numbering format: a lone surrogate (U+D800) at character 2: "
                 "not Unicode text"),
                (lambda: tovrik.sms("lone \ud800 surrogate"),
                 "a lone surrogate (U+D800) at character 5: not Unicode text"),
                (lambda: tovrik.sms_batch(["fine", "\udfff"]),
                 "text 1: a lone surrogate (U+DFFF) at character 0: not Unicode text")]:
            with self.subTest(message=message):
                with self.assertRaises(tovrik.Error) as caught:
                    run()
                self.assertEqual(str(caught.exception), message)
        with self.assertRaisesRegex(TypeError, "^text 1: a text must be str or bytes, not int$"):
            tovrik.sms_batch(["fine", 17])
        with self.assertRaises(TypeError):
            tovrik.split("abc", language="tr")  # national tables need SMS units
        with self.assertRaisesRegex(TypeError, "^the mode must be str or bytes, not int$"):
            tovrik.split("abc", mode=5)
        for concat in (None, "yes"):  # neither reads as False
            with self.assertRaisesRegex(TypeError, "^concat must be True or False, not "):
                tovrik.sms("abc", concat=concat)
            with self.assertRaisesRegex(TypeError, "^concat must be True or False, not "):
                tovrik.sms_batch(["abc"], concat=concat)
        self.assertEqual(tovrik.sms("x" * 200, concat=0), tovrik.sms("x" * 200, concat=False))
        with self.assertRaises(TypeError):
            tovrik.split("abc", limit=2.5)
        with self.assertRaises(TypeError):
            tovrik.split(None)
        with self.assertRaisesRegex(TypeError, "^'NoneType' object is not iterable$"):
            tovrik.sms_batch(None)
        for texts in ("hello", b"hello"):  # one text, not texts of one character
            with self.assertRaisesRegex(TypeError, "^texts must be an iterable of texts, not one "):
                tovrik.split_batch(texts)

    def test_texts_are_plain_str(self):
        # A subclass's text comes back as str, one part or more, and pickles.
        class Text(str):
            pass

        for results in ([tovrik.split(Text("short")), tovrik.split(Text("two words"), limit=5)],
                        tovrik.sms_batch([Text("short"), Text("x " * 100)])):
            for result in results:
                self.assertEqual({type(part.text) for part in result.parts}, {str})
                self.assertEqual(pickle.loads(pickle.dumps(result)), result)

    def test_results_differ_in_every_field(self):
        # Results are compared, hashed and named by Dask as tuples (the shift
        # tables too, which a result holds as a dict that hashes).
        results = [tovrik.sms('"Hi"'), tovrik.sms('"Hi"', replace="always"),
                   tovrik.sms("“Hi”", replace="always"), tovrik.sms("Şi", language="tr")]
        self.assertEqual(len(set(results)), len(results))
        self.assertIn(tovrik.sms("Şi", language="tr"), set(results))
        for result in results:
            self.assertEqual(tovrik.Result(tuple(result)).to_dict(), result.to_dict())

    def test_functions_pickle(self):
        # By name, as Dask ships a function to its workers.
        for name in ["split", "sms", "split_batch", "sms_batch"]:
            function = getattr(tovrik, name)
            self.assertIs(pickle.loads(pickle.dumps(function)), function)


class Batch(unittest.TestCase):
    def test_batch_is_one_call_per_text(self):
        texts = MESSAGES * 3
        for args, options in OPTIONS:
            try:
                singles = [call(options, t) for t in texts]
            except tovrik.Error:
                with self.assertRaises(tovrik.Error):
                    batch(options, texts)
                continue
            with self.subTest(args=args):  # (== on a result compares its parts only)
                self.assertEqual([r.to_dict() for r in batch(options, texts)],
                                 [r.to_dict() for r in singles])

    def test_any_iterable(self):
        expected = tovrik.sms_batch(MESSAGES)
        self.assertEqual(tovrik.sms_batch(t for t in MESSAGES), expected)
        self.assertEqual(tovrik.sms_batch(tuple(t.encode() for t in MESSAGES)), expected)
        self.assertEqual(tovrik.sms_batch([]), [])

    def test_threads_at_once(self):
        from concurrent.futures import ThreadPoolExecutor

        texts = MESSAGES * 200
        expected = tovrik.sms_batch(texts, concat=False, number="%k/%n %t")
        with ThreadPoolExecutor(4) as pool:
            results = list(pool.map(
                lambda _: tovrik.sms_batch(texts, concat=False, number="%k/%n %t"), range(8)))
        for result in results:
            self.assertEqual(result, expected)


class Reentry(unittest.TestCase):
    def test_finalizer_cuts_while_a_result_is_built(self):
        # Building a result makes Python objects; a collection then may run a
        # finalizer that cuts another message on the same thread.
        import gc

        class Garbage:
            def __init__(self):
                self.me = self

            def __del__(self):
                tovrik.sms("z" * 1000, concat=False, number="%t %k/%n")

        message = "word " * 2000
        expected = tovrik.sms(message, concat=False, number="%k/%n %t")
        thresholds = gc.get_threshold()
        gc.disable()
        try:
            for _ in range(5):
                Garbage()
            gc.set_threshold(1, 1, 1)
            gc.enable()
            got = tovrik.sms(message, concat=False, number="%k/%n %t")
        finally:
            gc.set_threshold(*thresholds)
            gc.enable()
            gc.collect()
        self.assertEqual(got, expected)


class Gil(unittest.TestCase):
    def test_batch_lets_other_threads_run(self):
        # The other thread wakes while this one is inside the batch call. With
        # a switch interval far longer than the test, it can only take the
        # GIL when this thread lets it go: inside the call when the batch
        # releases it, else only once this thread waits for it to end.
        import sys
        import threading

        texts = MESSAGES * 2000
        wake = threading.Event()
        phase = ["before"]
        seen = []
        other = threading.Thread(target=lambda: (wake.wait(), seen.append(phase[0])))
        other.start()
        interval = sys.getswitchinterval()
        sys.setswitchinterval(1000)
        try:
            phase[0] = "inside"
            wake.set()
            tovrik.sms_batch(texts)
            phase[0] = "after"
        finally:
            sys.setswitchinterval(interval)
            other.join()
        self.assertEqual(seen, ["inside"])

    def test_ctrl_c_stops_a_batch(self):
        # As above, the other thread runs only once the batch lets the GIL go,
        # and then sends SIGINT. The handler sees whether it runs inside the
        # call: the batch holds a copy of the list of texts until it returns.
        import signal
        import sys
        import threading

        copies = 50000
        texts = [MESSAGES[3].encode()] * copies  # (the parts of bytes are new texts)
        inside = []

        def handler(number, frame):
            inside.append(sys.getrefcount(texts[0]) > 2 * copies)
            raise KeyboardInterrupt

        wake = threading.Event()
        other = threading.Thread(target=lambda: (wake.wait(), os.kill(os.getpid(), signal.SIGINT)))
        other.start()
        before = signal.signal(signal.SIGINT, handler)
        interval = sys.getswitchinterval()
        sys.setswitchinterval(1000)
        try:
            wake.set()
            with self.assertRaises(KeyboardInterrupt):
                tovrik.sms_batch(texts)
        finally:
            sys.setswitchinterval(interval)
            signal.signal(signal.SIGINT, before)
            other.join()
        self.assertEqual(inside, [True])


class Documented(unittest.TestCase):
    def test_library_is_not_looked_for_in_the_current_folder(self):
        dynamic = subprocess.run(["readelf", "-d", tovrik.__file__], capture_output=True,
                                 text=True, check=True).stdout
        for line in dynamic.splitlines():
            if "RUNPATH" in line or "RPATH" in line:
                with self.subTest(line=line):
                    self.assertNotIn("", line.split("[", 1)[1].rstrip("]").split(":"))

    def test_stubs_and_docstrings(self):
        stub = os.path.join(os.path.dirname(tovrik.__file__), "tovrik.pyi")
        with open(stub, encoding="utf-8") as f:
            text = f.read()
        for name in ["split", "sms", "split_batch", "sms_batch"]:
            self.assertIn(f"def {name}(", text)
            self.assertTrue(getattr(tovrik, name).__doc__)
        for name in ["Error", "Part", "Result"]:
            self.assertIn(f"class {name}", text)
        self.assertTrue(tovrik.__doc__)
        self.assertEqual(tovrik.__version__, os.environ["TOVRIK_VERSION"])


if __name__ == "__main__":
    unittest.main()
