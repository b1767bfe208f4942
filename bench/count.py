#!/usr/bin/env python3
"""Instructions per message of every builder, counted with valgrind's callgrind.

A builder's figure is the instruction total of N = 2000 messages minus that of
N = 1000, over 1000: what is paid once (start-up, log4cplus, the inputs) drops
out. One message is a fresh object, one builder call with a ready input and the
output destroyed (bench/Count.cpp). Columns: logger OFF without an appender,
and DEBUG into a null appender.

    python3 bench/count.py                      # build/bench/gpenc_count, every builder
    python3 bench/count.py --program P --only UserLogin,CommonData(2)
    python3 bench/count.py --limits             # and each builder's limits (BASE and the floors)

Build Release first (cmake -DCMAKE_BUILD_TYPE=Release). Counts are exact and
do not depend on the machine's load; they do on the compiler and log4cplus.

Last, unless --only leaves it out, the check that appending is linear: the row
CommonData(2)/append puts every frame at the end of one vector that holds all
the frames before it. A frame appended after 32,000 others (the mean of frames
32,001 to 64,000) must cost within 5% of one appended after 1,000 (frames
1,001 to 2,000), logger OFF; the run fails otherwise. Each span holds exactly
one doubling of the vector, so both carry the same share of its growth.

The rows floor/NAME are floors (bench/Floor.h): hand-written code that gives the
caller of builder NAME the same bytes, with the same copy of a by-value input and
a fresh output vector. With --limits each builder's row also shows its counts at
BASE_COMMIT and its limits: logger OFF, at most half its count there, or
FLOOR_FACTOR times its floor (counted in the same run) where it has one, whichever
is higher; at DEBUG, at most DEBUG_FACTOR times its count there. A row over a
limit is marked with a cross, and the run fails after the table.
"""
import argparse
import concurrent.futures
import os
import re
import subprocess
import sys
import tempfile


# Logger OFF and DEBUG per builder at BASE_COMMIT, before the encoder was taken out
# of its logging (GCC 12, Release, Debian's log4cplus 2.0.8; docs/performance.md).
BASE_COMMIT = "36c38f9"
BASE = {
    "ParmSet_Get808ParmSetVector": (2824, 47998),
    "EquipSet/list": (5842, 152272),
    "UserLogin": (2079, 202244),
    "CommonData(2)": (751, 40090),
    "Cmd_sTimeInterval": (1454, 82772),
    "ParmSet_ICInfoSetStandard": (4493, 82794),
    "ParmSet_Get808AlarmSetData_Circular": (2111, 17251),
    "EquipSet_ICInfoSet": (7583, 187138),
    "EquipAlarmSet": (4075, 120466),
    "ParmSet_GetHeadInterval": (2148, 35306),
    "ParmSet_GetMainSericeIP": (2498, 38653),
    "ParmSet_ICInfoSetExtension": (10892, 426416),
    "EquipSet/single": (4694, 139105),
    "EquipSet_ICInfoSet/extension": (14651, 531429),
    "CommonData(4)": (751, 40091),
    "CommonData(2)/append": (602, 39942),
    "Subscription/text": (1446, 82766),
    "Subscription/number": (1280, 62311),
    "Realtime": (1332, 59636),
    "Photograph": (1457, 77335),
    "TrackPlayback": (1695, 95148),
    "Cmd_sCommitInterval": (2180, 179493),
    "Cmd_SoundSowing": (1424, 80014),
    "Cmd_sListening": (1581, 97747),
    "Cmd_sSimSet": (1446, 80036),
    "Cmd_sBlackout": (1444, 80035),
    "Cmd_sVideo": (1881, 141332),
    "Cmd_AlarmHandle": (1753, 120921),
    "Cmd_sPreset": (2044, 123939),
    "Cmd_EquipSetQuery": (1735, 103099),
    "Cmd_EquipPositionInfoQuery": (1735, 103155),
    "Cmd_AffirmAlarmInform": (1730, 103096),
    "Cmd_EquipTempPositionTrack": (2116, 103537),
    "Cmd_EquipControl": (2707, 104070),
}
OFF_SHARE = 0.5
FLOOR_FACTOR = 1.3
DEBUG_FACTOR = 1.05
FLOOR = "floor/"  # the row of NAME's floor is FLOOR + NAME
LIMIT_COLUMNS = [f"off {BASE_COMMIT}", "floor", "off limit", f"DEBUG {BASE_COMMIT}", "DEBUG limit", "over"]


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
    ap.add_argument("--limits", action="store_true", help=f"show the limits against {BASE_COMMIT} and the floors")
    args = ap.parse_args()
    names = subprocess.run([args.program], check=True, capture_output=True, text=True).stdout.split()
    if args.only:
        wanted = args.only.split(",")
        if args.limits:  # a builder's limit needs its floor
            wanted += [FLOOR + n for n in wanted]
        names = [n for n in names if n in wanted]
    modes = ["off", "debug"]
    check = APPEND in names
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        if check:
            early = pool.submit(per_frame, args.program, 1000, 2000)
            late = pool.submit(per_frame, args.program, 32000, 64000)
        jobs = {(n, m): pool.submit(per_message, args.program, n, m) for n in names for m in modes}
        width = max(len(n) for n in names)
        head = f"| {'builder':<{width}} | logger off | DEBUG, null appender |"
        rule = f"|{'-' * (width + 2)}|-----------:|---------------------:|"
        if args.limits:
            head += "".join(f" {label} |" for label in LIMIT_COLUMNS)
            rule += "".join("-" * (len(label) + 1) + ":|" for label in LIMIT_COLUMNS[:-1]) + "------|"
        print(head)
        print(rule)
        over = []
        for n in names:
            off, debug = (jobs[(n, m)].result() for m in modes)
            line = f"| {n:<{width}} | {off:10,.0f} | {debug:20,.0f} |"
            if args.limits:
                line += limits(n, off, debug, jobs, over)
            print(line)
            sys.stdout.flush()
        if check:
            after1k, after32k = early.result(), late.result()
            ratio = after32k / after1k
            print(f"\n{APPEND}, logger OFF: {after1k:,.0f} instructions a frame after 1,000 others, "
                  f"{after32k:,.0f} after 32,000 ({ratio:.3f} times)")
            if ratio > APPEND_LIMIT:
                sys.exit(f"count.py: appending is not linear: a frame after 32,000 others costs {ratio:.3f} times "
                         f"one after 1,000 (at most {APPEND_LIMIT})")
    if over:
        sys.exit("count.py: over a limit: " + ", ".join(over))


def limits(name, off, debug, jobs, over):
    """The limit columns of a row (empty for a row without a count at BASE_COMMIT); adds the limits it is over
    to `over`."""
    if name not in BASE:
        return "".join(f" {'':{len(label)}} |" for label in LIMIT_COLUMNS)
    base_off, base_debug = BASE[name]
    off_limit = base_off * OFF_SHARE
    floor = jobs.get((FLOOR + name, "off"))
    floor_text = ""
    if floor is not None:
        floor_text = f"{floor.result():,.0f}"
        off_limit = max(off_limit, floor.result() * FLOOR_FACTOR)
    debug_limit = base_debug * DEBUG_FACTOR
    marks = [m for m, bad in (("off", off > off_limit), ("DEBUG", debug > debug_limit)) if bad]
    over += [f"{name} ({m})" for m in marks]
    # The limits shown rounded down; the mark compares the unrounded figures.
    cells = [f"{base_off:,}", floor_text, f"{int(off_limit):,}", f"{base_debug:,}", f"{int(debug_limit):,}",
             "✗ " + " ".join(marks) if marks else ""]
    return "".join(f" {cell:>{len(label)}} |" for cell, label in zip(cells, LIMIT_COLUMNS))


if __name__ == "__main__":
    main()
