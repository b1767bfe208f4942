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

Last, unless --only leaves it out, the check that appending is linear: the row
CommonData(2)/append puts every frame at the end of one vector that holds all
the frames before it. A frame appended after 32,000 others (the mean of frames
32,001 to 64,000) must cost within 5% of one appended after 1,000 (frames
1,001 to 2,000), logger OFF; the run fails otherwise. Each span holds exactly
one doubling of the vector, so both carry the same share of its growth.
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


APPEND = "CommonData(2)/append"
APPEND_LIMIT = 1.05


def per_frame(program, first, last):
    """Instructions per frame of frames first + 1 to last of the append row, logger OFF."""
    return (total(program, APPEND, last, "off") - total(program, APPEND, first, "off")) / (last - first)


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
    check = APPEND in names
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        if check:
            early = pool.submit(per_frame, args.program, 1000, 2000)
            late = pool.submit(per_frame, args.program, 32000, 64000)
        jobs = {(n, m): pool.submit(per_message, args.program, n, m) for n in names for m in modes}
        width = max(len(n) for n in names)
        print(f"| {'builder':<{width}} | logger off | DEBUG, null appender |")
        print(f"|{'-' * (width + 2)}|-----------:|---------------------:|")
        for n in names:
            off, debug = (jobs[(n, m)].result() for m in modes)
            print(f"| {n:<{width}} | {off:10,.0f} | {debug:20,.0f} |")
            sys.stdout.flush()
        if check:
            after1k, after32k = early.result(), late.result()
            ratio = after32k / after1k
            print(f"\n{APPEND}, logger OFF: {after1k:,.0f} instructions a frame after 1,000 others, "
                  f"{after32k:,.0f} after 32,000 ({ratio:.3f} times)")
            if ratio > APPEND_LIMIT:
                sys.exit(f"count.py: appending is not linear: a frame after 32,000 others costs {ratio:.3f} times "
                         f"one after 1,000 (at most {APPEND_LIMIT})")


if __name__ == "__main__":
    main()
