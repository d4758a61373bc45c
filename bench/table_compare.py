#!/usr/bin/python3
"""Compares the 40 x 12 weighted column-percentage table of quin_bench with pandas' weighted
crosstab on integer codes and numpy's bincount over the same byte codes, and prints the ratios.

Usage: bench/table_compare.py BUILD_DIR   (a Release build with quin_bench)
Needs python3-pandas and python3-numpy (Debian packages); says so and stops without them.
"""
import json
import os
import subprocess
import sys
import tempfile
import time

try:
    import numpy as np
    import pandas as pd
except ImportError:
    print("python3-pandas and python3-numpy are needed: apt-get install python3-pandas")
    sys.exit(0)



def best(fn, repeat=7):
    times = []
    for _ in range(repeat):
        t = time.perf_counter()
        fn()
        times.append(time.perf_counter() - t)
    return min(times) * 1000


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build-release"
    dump = tempfile.mkdtemp()
    env = dict(os.environ, QUIN_BENCH_DUMP=dump)
    out = subprocess.run([os.path.join(build, "bench", "quin_bench"),
                          "--benchmark_filter=BM_Table", "--benchmark_format=json"],
                         env=env, capture_output=True, text=True, check=True).stdout
    quin = {b["name"]: b["real_time"] for b in json.loads(out)["benchmarks"]}
    for n in (100000, 1000000):
        raw = np.fromfile(os.path.join(dump, "table_%d.bin" % n), dtype=np.uint8)
        # The codes as the engine reads them: one byte per record, 255 for a missing answer.
        r = raw[:n]
        c = raw[n:2 * n]
        ages = raw[2 * n:2 * n + 8 * n].view(np.float64)
        w = raw[2 * n + 8 * n:].view(np.float64)
        # Plain yardsticks: pandas on integer codes (the respondents without a row answer
        # left out beforehand, untimed), numpy's bincount straight over the codes (the
        # missing code is a bin of its own), neither with masking in the timed part.
        answered = r != 255
        frame = pd.DataFrame({"r": r[answered], "c": c[answered], "w": w[answered],
                              "age": ages[answered]})
        index = r.astype(np.intp) * 16 + c

        def pandas_pct():
            return pd.crosstab(frame["r"], frame["c"], values=frame["w"], aggfunc="sum",
                               normalize="columns")

        def pandas_means():
            return frame.groupby(["r", "c"])["age"].agg(["mean", "var", "count"])

        def numpy_count():
            return np.bincount(index, weights=w, minlength=256 * 16)

        p, m, b = best(pandas_pct), best(pandas_means), best(numpy_count)
        qp = quin["BM_TableColumnPercent/%d" % n]
        qm = quin["BM_TableColumnMeansWithMarks/%d" % n]
        print("%8d respondents: quin %.2f ms, pandas crosstab %.2f ms (%.1fx), "
              "numpy bincount %.2f ms (quin / bincount %.2f)" % (n, qp, p, p / qp, b, qp / b))
        print("%8d respondents: quin means and marks %.2f ms, pandas groupby means %.2f ms "
              "(%.1fx)" % (n, qm, m, m / qm))


if __name__ == "__main__":
    main()
