#!/usr/bin/env python3
"""Times our decimal operations against Python's decimal module (the
mpdecimal C library) on the same operand pools, in the same run.

The benchmark program writes its operand pools (--dump_pool), runs its own
benchmarks (JSON output, thread CPU time per operation), and this script then
times decimal.Context(prec=15, ROUND_HALF_UP) on the very same operands,
calling the C methods through map() so that as little interpreter time as
possible is counted against Python. Prints our time over its time per
operation: below 1 means we are faster.

It then compares the program interpreter with Python on a whole loop: the
program For 1→A To 1000000: A+1→B: Next run by bench_math_interp (found next
to BENCH_BINARY), and the same loop written in Python on Decimal at 15
digits, timed in the same run. Prints iterations per second of both and our
speed over Python's: above 1 means we are faster.

Usage: compare_decimal.py [BENCH_BINARY]   (default build/release/bin/bench_math_bcd;
       give bench_math_interp itself to compare the loop only)
"""

import collections
import json
import os
import subprocess
import sys
import tempfile
import time
from decimal import ROUND_HALF_UP, Context, Decimal, localcontext

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CTX = Context(prec=15, rounding=ROUND_HALF_UP)
# Benchmark name -> (pool, decimal operation)
OPS = {
    "BcdAdd": ("add", CTX.add),
    "BcdSub": ("add", CTX.subtract),
    "BcdMul": ("mul", CTX.multiply),
    "BcdDiv": ("mul", CTX.divide),
    "BcdCompare": ("add", Decimal.__lt__),
}


def load_pools(binary):
    with tempfile.NamedTemporaryFile("r", suffix=".txt") as f:
        subprocess.run([binary, "--dump_pool=" + f.name], check=True)
        pools = {}
        for line in f:
            name, a, b = line.split()
            pool = pools.setdefault(name, ([], []))
            pool[0].append(Decimal(a))
            pool[1].append(Decimal(b))
    return pools


def our_times(binary):
    filt = "^(" + "|".join(OPS) + ")$"
    out = subprocess.run([binary, "--benchmark_format=json", "--benchmark_filter=" + filt],
                         check=True, capture_output=True, text=True).stdout
    return {b["name"]: b for b in json.loads(out)["benchmarks"]}


def python_ns_per_op(fn, a, b, runs=30, reps=20):
    best = float("inf")
    for _ in range(runs):
        t0 = time.thread_time_ns()
        for _ in range(reps):
            collections.deque(map(fn, a, b), maxlen=0)
        best = min(best, (time.thread_time_ns() - t0) / (reps * len(a)))
    return best


LOOP_COUNT = 1000000


def python_loop_per_s(n=LOOP_COUNT, runs=3):
    """For 1→A To n: A+1→B: Next, as a Python programmer writes it."""
    best = float("inf")
    with localcontext(CTX):
        one, end = Decimal(1), Decimal(n)
        for _ in range(runs):
            t0 = time.thread_time_ns()
            a = Decimal(1)
            while a <= end:
                b = a + one  # noqa: F841 (the loop body's store)
                a = a + one
            best = min(best, time.thread_time_ns() - t0)
    return n / (best * 1e-9)


def compare_loop(binary):
    out = subprocess.run([binary, "--benchmark_format=json"], check=True, capture_output=True,
                         text=True).stdout
    bench = json.loads(out)["benchmarks"][0]
    ours = bench["iterations_per_s"]
    theirs = python_loop_per_s()
    print(f"\nloop For 1→A To {LOOP_COUNT}: A+1→B: Next")
    print(f"{'interpreter':<24}{ours:>14,.0f} iterations/s")
    print(f"{'bare number calls':<24}{bench['bare_iterations_per_s']:>14,.0f} iterations/s")
    print(f"{'Python decimal loop':<24}{theirs:>14,.0f} iterations/s")
    print(f"interpreter over Python decimal: {ours / theirs:.2f}")


def main():
    binary = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/release/bin/bench_math_bcd")
    interp = os.path.join(os.path.dirname(binary), "bench_math_interp")
    if os.path.basename(binary) == "bench_math_interp":
        compare_loop(binary)
        return
    if os.path.exists(interp):
        compare_loop(interp)
    pools = load_pools(binary)
    ours = our_times(binary)
    print(f"{'operation':<12}{'ours ns':>10}{'double ns':>11}{'decimal ns':>12}{'ours/decimal':>14}")
    worst = 0.0
    for name, (pool, fn) in OPS.items():
        a, b = pools[pool]
        ns_py = python_ns_per_op(fn, a, b)
        bench = ours[name]
        ratio = bench["ns_per_op"] / ns_py
        worst = max(worst, ratio)
        print(f"{name:<12}{bench['ns_per_op']:>10.1f}{bench['double_ns_per_op']:>11.2f}"
              f"{ns_py:>12.1f}{ratio:>14.2f}")
    print(f"slowest ratio against decimal: {worst:.2f}")


if __name__ == "__main__":
    main()
