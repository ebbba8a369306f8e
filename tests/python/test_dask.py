"""The batch call on a real Dask cluster: a scheduler and two worker
processes over TCP on the loopback cut 200,000 records of a dask.bag in
several partitions; the gathered result equals one
tovrik-split --records jsonl --json --sms run.

Needs TOVRIK_SPLIT and the built module on PYTHONPATH (which the worker
processes inherit).
"""
import json
import os
import subprocess
import tempfile
import unittest

import dask.bag as db
from distributed import Client, LocalCluster, wait

import tovrik
from records import records, write_jsonl

COUNT = 200_000
PARTITIONS = 16


def cut_partition(part):
    # Runs in a worker process.
    import tovrik

    part = list(part)
    results = tovrik.sms_batch([r["text"] for r in part], concat=False)
    return [{"id": r["id"], **result.to_dict()} for r, result in zip(part, results)]


class DaskCluster(unittest.TestCase):
    def test_bag_equals_command_line(self):
        with tempfile.TemporaryDirectory() as scratch:
            path = os.path.join(scratch, "records.jsonl")
            write_jsonl(path, COUNT)
            with open(path, "rb") as f:
                done = subprocess.run([os.environ["TOVRIK_SPLIT"], "--records", "jsonl",
                                       "--json", "--sms"], stdin=f, capture_output=True)
        self.assertEqual(done.returncode, 0, done.stderr)
        expected = [json.loads(line) for line in done.stdout.splitlines()]
        self.assertEqual(len(expected), COUNT)

        with LocalCluster(n_workers=2, processes=True, threads_per_worker=1,
                          host="127.0.0.1", dashboard_address=None) as cluster, \
                Client(cluster) as client:
            self.assertTrue(cluster.scheduler_address.startswith("tcp://127.0.0.1:"))
            workers = client.scheduler_info()["workers"]
            self.assertEqual(len(workers), 2)
            self.assertTrue(all(w.startswith("tcp://127.0.0.1:") for w in workers))
            # Worker processes of their own, with the module just built.
            pids = client.run(os.getpid)
            self.assertNotIn(os.getpid(), pids.values())
            self.assertEqual(len(set(pids.values())), 2)
            files = client.run(lambda: __import__("tovrik").__file__)
            self.assertEqual(set(files.values()), {tovrik.__file__})

            bag = db.from_sequence(list(records(COUNT)), npartitions=PARTITIONS)
            self.assertGreater(bag.npartitions, 2)
            # The partitions are spread over both workers.
            futures = client.compute(bag.map_partitions(cut_partition).to_delayed())
            wait(futures)
            spread = client.who_has(futures)
            self.assertEqual(len({w for ws in spread.values() for w in ws}), 2, spread)
            actual = [line for part in client.gather(futures) for line in part]
            # The module's functions go to the workers as they are.
            self.assertEqual(client.submit(tovrik.sms, "Hi 😀", concat=False).result(),
                             tovrik.sms("Hi 😀", concat=False))
            # Two results that differ only in what was replaced are two tasks.
            results = [tovrik.sms('"Hi"', replace="always"),
                       tovrik.sms("“Hi”", replace="always")]
            self.assertEqual(client.gather([client.submit(tovrik.Result.to_dict, r)
                                            for r in results]),
                             [r.to_dict() for r in results])

        self.assertEqual(len(actual), COUNT)
        for n, (got, wanted) in enumerate(zip(actual, expected)):
            if got != wanted:
                self.fail(f"record {n}: dask {got} != tovrik-split {wanted}")


if __name__ == "__main__":
    unittest.main()
