#!/usr/bin/env python3
"""Instructions per message of every builder, counted with valgrind's callgrind.

A builder's figure is the instruction total of N = 2000 messages minus that of
N = 1000, over 1000: what is paid once (start-up, log4cplus, the inputs) drops
out. One message is a fresh object, one builder call with a ready input and the
output destroyed (bench/Count.cpp). Columns: logger OFF without an appender,
and DEBUG into a null appender.

    python3 bench/count.py                      # build/bench/gpenc_count, every builder
    python3 bench/count.py --program P --only UserLogin,CommonData(2)

Build Release first (cmake -DCMAKE_BUILD_TYPE=Release). Counts are exact and
do not depend on the machine's load; they do on the compiler and log4cplus.
"""
import argparse
import concurrent.futures
import os
import re
import subprocess
import sys
import tempfile


def total(program, name, n, mode):
    """The instructions callgrind counts for `n` messages of `name`."""
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "callgrind.out")
        subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out, program, name, str(n), mode],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(out) as f:
            for line in f:
                m = re.match(r"(?:summary|totals):\s+(\d+)", line)
                if m:
                    return int(m.group(1))
    raise RuntimeError("no total in callgrind's output for " + name)


def per_message(program, name, mode):
    return (total(program, name, 2000, mode) - total(program, name, 1000, mode)) / 1000


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--program", default="build/bench/gpenc_count")
    ap.add_argument("--only", default="", help="comma-separated builder names")
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    args = ap.parse_args()
    names = subprocess.run([args.program], check=True, capture_output=True, text=True).stdout.split()
    if args.only:
        names = [n for n in names if n in args.only.split(",")]
    modes = ["off", "debug"]
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        jobs = {(n, m): pool.submit(per_message, args.program, n, m) for n in names for m in modes}
        width = max(len(n) for n in names)
        print(f"| {'builder':<{width}} | logger off | DEBUG, null appender |")
        print(f"|{'-' * (width + 2)}|-----------:|---------------------:|")
        for n in names:
            off, debug = (jobs[(n, m)].result() for m in modes)
            print(f"| {n:<{width}} | {off:10,.0f} | {debug:20,.0f} |")
            sys.stdout.flush()


if __name__ == "__main__":
    main()
